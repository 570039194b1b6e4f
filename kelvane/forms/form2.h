#pragma once

#include "kelvane/engine/windows.h"
#include "platform/forms/surface.h"

namespace kelvane {

// The display window the animation draws on, in pixels of its client area.
class Form2 : public platform::DrawingForm, public Module1::DisplayWindow {
    Q_OBJECT

  public:
    Form2();

    void cls() override { DrawingForm::cls(); }
    void circle(float x, float y, float radius, platform::Colour colour) override {
        DrawingForm::circle(x, y, radius, colour);
    }
    void pset(float x, float y, platform::Colour colour) override {
        DrawingForm::pset(x, y, colour);
    }

    float widthTwips() const override { return DrawingForm::widthTwips(); }
    float heightTwips() const override { return DrawingForm::heightTwips(); }
    std::int16_t scaleMode() const override { return DrawingForm::scaleMode(); }
    float scaleWidth() const override { return DrawingForm::scaleWidth(); }
    float scaleHeight() const override { return DrawingForm::scaleHeight(); }
};

} // namespace kelvane
