#pragma once

#include "platform/core/clock.h"
#include "platform/core/colour.h"

#include <QString>

#include <cstdint>
#include <functional>

// What the engine needs of the two windows and of the program around them, handed to every run
// by whoever starts it: the windows live with the forms, or with the command line, which depend
// on the engine and not the other way round.
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

// What a run is handed by whoever starts it. Its one dispatch point, once a step after the
// drawing, lets other work in: clicks in the windows, "Simulate" and "End" included, which may
// unwind the run. A warning tells the user why a run did not start; the program goes on.
struct Host {
    ControlWindow& control;
    DisplayWindow& display;
    platform::Clock& clock; // paces the steps
    std::function<void()> dispatchEvents;
    std::function<void(const QString& message)> warn;
};

} // namespace kelvane::Module1
