#pragma once

#include "colour.h"
#include "form.h"

#include <QImage>

namespace platform {

// A window that is drawn on. What is drawn goes into a retained image, so the picture survives
// being covered, minimised or moved off screen; painting only copies the image. Drawing is one
// pixel wide, never antialiased, and whatever falls outside the client area is left out.
class DrawingForm : public Form {
    Q_OBJECT

  public:
    DrawingForm(const QString& caption, double clientWidthTwips, double clientHeightTwips);

    // Fills the whole client area with the background colour.
    void cls();
    // The outline of a full circle; a radius that rounds to 0 draws its centre point.
    void circle(float x, float y, float radius, Colour colour);
    void pset(float x, float y, Colour colour);

    // The picture, as large as the client area has ever been.
    const QImage& picture() const { return image_; }
    Colour backgroundColour() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    bool toPixel(float x, float y, int& px, int& py) const;
    // A hidden window is resized without a resize event, so every drawing call checks.
    void coverClientArea();
    void plot(int x, int y, QRgb rgb) {
        if (x >= 0 && y >= 0 && x < width() && y < height())
            reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = rgb;
    }
    void markDirty(const QRect& area);

    QImage image_;
    QRect requested_; // area already asked to be repainted
};

} // namespace platform
