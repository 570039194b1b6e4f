#include "platform/forms/canvas.h"

#include "platform/core/errors.h"
#include "platform/forms/qt_colour.h"

#include <QPainter>

#include <cmath>
#include <optional>

namespace platform {
namespace {

// Beyond this a coordinate is far off any picture; leaving it out keeps every conversion exact.
constexpr float farAway = 1.0e7f;

// The pixel that contains the point: a block drawn at x.5 stays whole, and a point left of or
// above the area stays outside it.
std::optional<QPoint> toPixel(float x, float y) {
    if (!(std::fabs(x) < farAway && std::fabs(y) < farAway))
        return std::nullopt;
    return QPoint(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
}

} // namespace

Canvas::Canvas(QSize area, Colour background, ImageSource source)
    : source_(source), area_(area), background_(background), image_(source(area)) {
    image_.fill(toRgb(background_));
}

void Canvas::setArea(QSize area) {
    area_ = area;
    grow();
}

QRect Canvas::cls(Colour background) {
    background_ = background;
    // Nothing drawn survives a clear, so an image kept larger than the area now gives back what
    // no longer shows; and an image smaller than the area is replaced at once, not first grown to
    // cover both.
    if (image_.size() != area_)
        if (QImage fitted = source_(area_); !fitted.isNull())
            image_ = std::move(fitted);
    cover();
    image_.fill(toRgb(background_));
    return QRect(QPoint(0, 0), area_);
}

QRect Canvas::pset(float x, float y, Colour colour) {
    cover();
    const std::optional<QPoint> pixel = toPixel(x, y);
    if (!pixel || !QRect(QPoint(0, 0), area_).contains(*pixel))
        return {};
    plot(pixel->x(), pixel->y(), toRgb(colour));
    return QRect(*pixel, QSize(1, 1));
}

QRect Canvas::circle(float x, float y, double radius, Colour colour) {
    cover();
    const std::optional<QPoint> centre = toPixel(x, y);
    if (!centre || !(radius >= 0.0) || radius >= farAway)
        return {};
    const int cx = centre->x();
    const int cy = centre->y();
    const int r = static_cast<int>(std::nearbyint(radius));
    const QRect bounds(cx - r, cy - r, 2 * r + 1, 2 * r + 1);
    const QRect area(QPoint(0, 0), area_);
    if (!bounds.intersects(area))
        return {};

    const QRgb rgb = toRgb(colour);
    // Midpoint circle: one octant computed, the other seven mirrored. A radius of 0 is the centre
    // point eight times over.
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
    return bounds.intersected(area);
}

bool Canvas::grow() {
    if (image_.width() >= area_.width() && image_.height() >= area_.height())
        return true;
    QImage larger = source_(area_.expandedTo(image_.size()));
    if (larger.isNull())
        return false;
    larger.fill(toRgb(background_));
    QPainter(&larger).drawImage(0, 0, image_);
    image_ = std::move(larger);
    return true;
}

void Canvas::cover() {
    if (!grow())
        throw RuntimeError(ErrorKind::OutOfMemory, {});
}

} // namespace platform
