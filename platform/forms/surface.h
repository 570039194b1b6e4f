#pragma once

#include "platform/core/colour.h"
#include "platform/forms/canvas.h"
#include "platform/forms/form.h"

namespace platform {

// A window that is drawn on, in its scale units. What is drawn goes to a canvas the size of the
// client area, so the picture survives being covered, minimised or moved off screen; painting
// only copies the canvas.
class DrawingForm : public Form {
    Q_OBJECT

  public:
    DrawingForm(const QString& caption, double clientWidthTwips, double clientHeightTwips,
                Canvas::ImageSource source = Canvas::plainImage);

    // Fills the whole client area with the background colour, and lets the picture shrink to it.
    void cls();
    void circle(float x, float y, float radius, Colour colour);
    void pset(float x, float y, Colour colour);

    const QImage& picture() const { return canvas_.picture(); }
    Colour backgroundColour() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // A hidden window is resized without a resize event, so every drawing call looks.
    Canvas& canvas();
    float pixelX(float x) const;
    float pixelY(float y) const;
    void markDirty(const QRect& area);

    Canvas canvas_;
    QRect requested_; // area already asked to be repainted
};

} // namespace platform
