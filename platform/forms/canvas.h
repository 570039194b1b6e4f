#pragma once

#include "platform/core/colour.h"

#include <QImage>
#include <QRect>

namespace platform {

// A picture that is drawn on and kept, as a display window shows it or a file takes it. Drawing
// is one pixel wide, never antialiased, in pixels of an area whose origin is its top-left corner;
// whatever falls outside the area is left out. The image grows with the area and gives back what
// no longer shows only at a clear, so that an area made smaller and larger again shows what was
// drawn before.
class Canvas {
  public:
    // Where the image comes from; a null image means the memory was not there.
    using ImageSource = QImage (*)(QSize size);
    static QImage plainImage(QSize size) { return QImage(size, QImage::Format_RGB32); }

    Canvas(QSize area, Colour background, ImageSource source = plainImage);

    // Where the memory for a larger image is not there, the old image stays and the next drawing
    // call is the out-of-memory run-time error.
    void setArea(QSize area);
    QSize area() const { return area_; }

    // Each drawing call returns the part of the area it changed.
    // Fills the whole area with the colour, which a grown image starts with from now on.
    QRect cls(Colour background);
    // The outline of a full circle; a radius that rounds to 0 draws its centre point.
    QRect circle(float x, float y, double radius, Colour colour);
    QRect pset(float x, float y, Colour colour);

    // As large as the area has been since the last clear.
    const QImage& picture() const { return image_; }

  private:
    bool grow();
    // Before drawing: an image that cannot cover the area is a run-time error.
    void cover();
    // Only after cover(), which makes the image at least as large as the area.
    void plot(int x, int y, QRgb rgb) {
        if (x >= 0 && y >= 0 && x < area_.width() && y < area_.height())
            reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = rgb;
    }

    ImageSource source_;
    QSize area_;
    Colour background_;
    QImage image_;
};

} // namespace platform
