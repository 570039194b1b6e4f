#pragma once

#include "kelvane/engine/module1.h"
#include "platform/forms/canvas.h"
#include "platform/forms/form.h"
#include "platform/forms/qt_colour.h"

namespace kelvane {

// The display window the animation draws on, in its scale units: pixels of its client area. What
// is drawn goes to a canvas the size of the client area, so the picture survives being covered,
// minimised or moved off screen; painting only copies it.
class Form2 : public platform::Form, public Module1::DisplayWindow {
    Q_OBJECT

  public:
    explicit Form2(platform::Canvas::ImageSource source = platform::Canvas::plainImage);

    // Fills the whole client area with the background colour, and lets the picture shrink to it.
    void cls() override;
    void circle(float x, float y, float radius, platform::Colour colour) override;
    void pset(float x, float y, platform::Colour colour) override;

    float widthTwips() const override { return Form::widthTwips(); }
    float heightTwips() const override { return Form::heightTwips(); }
    std::int16_t scaleMode() const override { return Form::scaleMode(); }
    float scaleWidth() const override { return Form::scaleWidth(); }
    float scaleHeight() const override { return Form::scaleHeight(); }

    const QImage& picture() const { return canvas_.picture(); }
    platform::Colour backgroundColour() const {
        return platform::fromQColor(palette().color(QPalette::Window));
    }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // A hidden window is resized without a resize event, so every drawing call looks.
    platform::Canvas& canvas();
    float pixels(float units, double twipsPerPixel) const;
    void markDirty(const QRect& area);

    platform::Canvas canvas_;
    QRect requested_; // area already asked to be repainted
};

} // namespace kelvane
