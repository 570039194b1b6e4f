#pragma once

#include "platform/core/colour.h"

#include <QString>

#include <cstdint>

// What the engine needs of the two windows, and where it finds them. The windows themselves live
// with the forms, which depend on the engine and not the other way round.
namespace kelvane::Module1 {

// The run's parameters and its two outputs on the control window. A run reads the texts each
// time it needs them, so that a toggle clicked during a run changes what the run reads next.
class ControlWindow {
  public:
    virtual QString factorText() const = 0;                               // Tnc
    virtual QString dynamicText() const = 0;                              // TDynamic
    virtual QString randomText() const = 0;                               // TRandom
    virtual void setAgeText(const QString& text) = 0;                     // Tage
    virtual void setSwatchColour(int index, platform::Colour colour) = 0; // Label3(index)

  protected:
    ~ControlWindow() = default;
};

// What the run draws on, and the size and scale its set-up reads.
class DisplayWindow {
  public:
    virtual void cls() = 0;
    virtual void circle(float x, float y, float radius, platform::Colour colour) = 0;
    virtual void pset(float x, float y, platform::Colour colour) = 0;

    virtual float widthTwips() const = 0;
    virtual float heightTwips() const = 0;
    virtual std::int16_t scaleMode() const = 0;
    virtual float scaleWidth() const = 0;
    virtual float scaleHeight() const = 0;

  protected:
    ~DisplayWindow() = default;
};

// Each call gives the window as it is at that moment, and creates it where there is none: the
// engine keeps no window from one use to the next.
struct Windows {
    ControlWindow& (*control)() = nullptr;
    DisplayWindow& (*display)() = nullptr;
};

// Kept for the whole program, over reset().
void connectWindows(Windows windows);

// The connected windows; a run started before any were connected is a run-time error.
ControlWindow& controlWindow();
DisplayWindow& displayWindow();

} // namespace kelvane::Module1
