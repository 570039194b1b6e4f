#include "platform/forms/surface.h"

#include "platform/forms/qt_colour.h"

#include <QPaintEvent>
#include <QPainter>

namespace platform {

DrawingForm::DrawingForm(const QString& caption, double clientWidthTwips, double clientHeightTwips,
                         Canvas::ImageSource source)
    : Form(caption, clientWidthTwips, clientHeightTwips),
      canvas_(size(), fromQColor(palette().color(QPalette::Window)), source) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

Colour DrawingForm::backgroundColour() const {
    return fromQColor(palette().color(QPalette::Window));
}

Canvas& DrawingForm::canvas() {
    if (canvas_.area() != size())
        canvas_.setArea(size());
    return canvas_;
}

float DrawingForm::pixelX(float x) const {
    return scaleMode() == Pixels ? x : static_cast<float>(x / twipsPerPixelX());
}

float DrawingForm::pixelY(float y) const {
    return scaleMode() == Pixels ? y : static_cast<float>(y / twipsPerPixelY());
}

void DrawingForm::cls() {
    markDirty(canvas().cls(backgroundColour()));
}

void DrawingForm::pset(float x, float y, Colour colour) {
    markDirty(canvas().pset(pixelX(x), pixelY(y), colour));
}

void DrawingForm::circle(float x, float y, float radius, Colour colour) {
    const double pixelRadius = scaleMode() == Pixels ? radius : radius / twipsPerPixelX();
    markDirty(canvas().circle(pixelX(x), pixelY(y), pixelRadius, colour));
}

void DrawingForm::markDirty(const QRect& area) {
    // One growing request per paint instead of one per point: a step draws over a thousand.
    if (area.isEmpty() || requested_.contains(area))
        return;
    requested_ |= area;
    update(requested_);
}

void DrawingForm::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_.picture(), event->rect());
    requested_ = QRect();
}

void DrawingForm::resizeEvent(QResizeEvent* event) {
    Form::resizeEvent(event);
    // No error can leave an event Qt delivers; the next drawing call reports a failure.
    canvas();
}

void DrawingForm::showEvent(QShowEvent* event) {
    Form::showEvent(event);
    requested_ = QRect();
}

} // namespace platform
