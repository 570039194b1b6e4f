#include "platform/forms/surface.h"

#include "platform/forms/qt_colour.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace platform {
namespace {

// Beyond this a coordinate is far off any window; leaving it out keeps every conversion exact.
constexpr float farAway = 1.0e7f;

} // namespace

DrawingForm::DrawingForm(const QString& caption, double clientWidthTwips, double clientHeightTwips)
    : Form(caption, clientWidthTwips, clientHeightTwips) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    image_ = DrawingForm::newImage(width(), height());
    image_.fill(toRgb(backgroundColour()));
}

Colour DrawingForm::backgroundColour() const {
    return fromQColor(palette().color(QPalette::Window));
}

void DrawingForm::cls() {
    // Nothing drawn survives a clear, so an image kept larger than the window, for a window made
    // smaller and larger again, now gives back what no longer shows; and an image smaller than
    // the window is replaced at once, not first grown to cover both.
    if (image_.size() != size())
        if (QImage fitted = newImage(width(), height()); !fitted.isNull())
            image_ = std::move(fitted);
    coverClientArea();
    image_.fill(toRgb(backgroundColour()));
    markDirty(rect());
}

bool DrawingForm::toPixel(float x, float y, int& px, int& py) const {
    if (scaleMode() != Pixels) {
        x = static_cast<float>(x / twipsPerPixelX());
        y = static_cast<float>(y / twipsPerPixelY());
    }
    if (!(std::fabs(x) < farAway && std::fabs(y) < farAway))
        return false;
    // The pixel that contains the point: a block drawn at x.5 stays whole, and a point left of
    // or above the client area stays outside it.
    px = static_cast<int>(std::floor(x));
    py = static_cast<int>(std::floor(y));
    return true;
}

void DrawingForm::pset(float x, float y, Colour colour) {
    coverClientArea();
    int px = 0;
    int py = 0;
    if (!toPixel(x, y, px, py) || px < 0 || py < 0 || px >= width() || py >= height())
        return;
    plot(px, py, toRgb(colour));
    markDirty(QRect(px, py, 1, 1));
}

void DrawingForm::circle(float x, float y, float radius, Colour colour) {
    coverClientArea();
    int cx = 0;
    int cy = 0;
    if (!toPixel(x, y, cx, cy) || !(radius >= 0.0f))
        return;
    const double pixelRadius = scaleMode() == Pixels ? radius : radius / twipsPerPixelX();
    if (pixelRadius >= farAway)
        return;
    const int r = static_cast<int>(std::nearbyint(pixelRadius));
    const QRect bounds(cx - r, cy - r, 2 * r + 1, 2 * r + 1);
    if (!bounds.intersects(rect()))
        return;

    const QRgb rgb = toRgb(colour);
    if (r == 0) {
        plot(cx, cy, rgb);
    } else {
        // Midpoint circle: one octant computed, the other seven mirrored.
        int dx = r;
        int dy = 0;
        int error = 1 - r;
        while (dx >= dy) {
            plot(cx + dx, cy + dy, rgb);
            plot(cx + dy, cy + dx, rgb);
            plot(cx - dy, cy + dx, rgb);
            plot(cx - dx, cy + dy, rgb);
            plot(cx - dx, cy - dy, rgb);
            plot(cx - dy, cy - dx, rgb);
            plot(cx + dy, cy - dx, rgb);
            plot(cx + dx, cy - dy, rgb);
            ++dy;
            if (error < 0) {
                error += 2 * dy + 1;
            } else {
                --dx;
                error += 2 * (dy - dx) + 1;
            }
        }
    }
    markDirty(bounds.intersected(rect()));
}

void DrawingForm::markDirty(const QRect& area) {
    // One growing request per paint instead of one per point: a step draws over a thousand.
    if (requested_.contains(area))
        return;
    requested_ |= area;
    update(requested_);
}

void DrawingForm::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), image_, event->rect());
    requested_ = QRect();
}

void DrawingForm::resizeEvent(QResizeEvent* event) {
    Form::resizeEvent(event);
    // No error can leave an event Qt delivers; the next drawing call reports a failure.
    growImage();
}

QImage DrawingForm::newImage(int width, int height) const {
    return QImage(width, height, QImage::Format_RGB32);
}

bool DrawingForm::growImage() {
    if (image_.width() >= width() && image_.height() >= height())
        return true;
    // Grow only: a window made smaller and larger again shows what was drawn before.
    QImage larger =
        newImage(std::max(width(), image_.width()), std::max(height(), image_.height()));
    if (larger.isNull())
        return false;
    larger.fill(toRgb(backgroundColour()));
    QPainter(&larger).drawImage(0, 0, image_);
    image_ = std::move(larger);
    return true;
}

void DrawingForm::coverClientArea() {
    if (!growImage())
        throw RuntimeError(ErrorKind::OutOfMemory, {});
}

void DrawingForm::showEvent(QShowEvent* event) {
    Form::showEvent(event);
    requested_ = QRect();
}

} // namespace platform
