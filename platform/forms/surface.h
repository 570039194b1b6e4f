#pragma once

#include "platform/core/colour.h"
#include "platform/forms/form.h"

#include <QImage>

namespace platform {

// A window that is drawn on. What is drawn goes into a retained image, so the picture survives
// being covered, minimised or moved off screen; painting only copies the image. Drawing is one
// pixel wide, never antialiased, and whatever falls outside the client area is left out.
class DrawingForm : public Form {
    Q_OBJECT

  public:
    DrawingForm(const QString& caption, double clientWidthTwips, double clientHeightTwips);

    // Fills the whole client area with the background colour, and lets the picture shrink to it.
    void cls();
    // The outline of a full circle; a radius that rounds to 0 draws its centre point.
    void circle(float x, float y, float radius, Colour colour);
    void pset(float x, float y, Colour colour);

    // The picture, as large as the client area has been since the last Cls.
    const QImage& picture() const { return image_; }
    Colour backgroundColour() const;

  protected:
    // Where the retained image comes from; a null image means the memory was not there.
    virtual QImage newImage(int width, int height) const;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    bool toPixel(float x, float y, int& px, int& py) const;
    // A hidden window is resized without a resize event, so every drawing call checks. Returns
    // false when the larger image could not be had; the old one is kept.
    bool growImage();
    // Before drawing: an image that cannot cover the client area is a run-time error.
    void coverClientArea();
    // The image, not the window, bounds every write: the two differ when growing failed.
    void plot(int x, int y, QRgb rgb) {
        if (x >= 0 && y >= 0 && x < width() && y < height() && x < image_.width() &&
            y < image_.height())
            reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = rgb;
    }
    void markDirty(const QRect& area);

    QImage image_;
    QRect requested_; // area already asked to be repainted
};

} // namespace platform
