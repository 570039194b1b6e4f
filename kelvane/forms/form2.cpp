#include "kelvane/forms/form2.h"

#include <QPaintEvent>
#include <QPainter>

namespace kelvane {

Form2::Form2(platform::Canvas::ImageSource source)
    : Form(QStringLiteral("Display"), 6150, 5460), canvas_(size(), backgroundColour(), source) {
    setScaleMode(platform::Pixels);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

platform::Canvas& Form2::canvas() {
    if (canvas_.area() != size())
        canvas_.setArea(size());
    return canvas_;
}

float Form2::pixels(float units, double twipsPerPixel) const {
    return scaleMode() == platform::Pixels ? units : static_cast<float>(units / twipsPerPixel);
}

void Form2::cls() {
    markDirty(canvas().cls(backgroundColour()));
}

void Form2::pset(float x, float y, platform::Colour colour) {
    markDirty(canvas().pset(pixels(x, twipsPerPixelX()), pixels(y, twipsPerPixelY()), colour));
}

void Form2::circle(float x, float y, float radius, platform::Colour colour) {
    const double pixelRadius = scaleMode() == platform::Pixels ? radius : radius / twipsPerPixelX();
    markDirty(canvas().circle(pixels(x, twipsPerPixelX()), pixels(y, twipsPerPixelY()), pixelRadius,
                              colour));
}

void Form2::markDirty(const QRect& area) {
    // One growing request per paint instead of one per point: a step draws over a thousand.
    if (area.isEmpty() || requested_.contains(area))
        return;
    requested_ |= area;
    update(requested_);
}

void Form2::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_.picture(), event->rect());
    requested_ = QRect();
}

void Form2::resizeEvent(QResizeEvent* event) {
    Form::resizeEvent(event);
    // No error can leave an event Qt delivers; the next drawing call reports a failure.
    canvas();
}

void Form2::showEvent(QShowEvent* event) {
    Form::showEvent(event);
    requested_ = QRect();
}

} // namespace kelvane
