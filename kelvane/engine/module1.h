#pragma once

#include "platform/core/clock.h"
#include "platform/core/colour.h"
#include "platform/core/numeric.h"

#include <QString>

#include <cstdint>
#include <functional>

// The expansion engine. Its state is module-level on purpose: it lives for the whole program,
// starts at zero and carries over from one run to the next, including into a run started while
// another one is under way. What it needs of the two windows and of the program around them is
// handed to every run by whoever starts it: the forms, or the command line.
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

using ParticleTable = platform::Table<double, 0, 200>;

// Palette numbers by age band, filled by SetupParameters.
extern platform::Table<double, 0, 16> ColourOrder;
// The drawing extent, taken from the display window at the start of every run.
extern double ExtentWidth;
extern double ExtentHeight;

extern ParticleTable Speed; // speed fraction, 0.01 to 1.0
extern ParticleTable Angle; // direction in radians (dynamic mode)
extern ParticleTable PosX;  // static position, or in dynamic mode the true offset from the centre
extern ParticleTable PosY;
extern ParticleTable ShownX; // offset at which the particle was last drawn in dynamic mode
extern ParticleTable ShownY;

// Everything back to zero, as at program start.
void reset();

void SetupParameters(const DisplayWindow& display);
void SetupExtent(const DisplayWindow& display);

// Maps value on a scale of length range onto a seven-band ramp from white to black. Outside the
// bands colour keeps what the caller held there, which the run relies on.
void SpectrumColour(const double& range, const double& value, platform::Colour& colour);

// One whole animation on the host's display window, paced at 0.3 s per step by its clock;
// returns when it is over.
void RunExpansion(const Host& host);

// How many steps a run makes on a drawing area of that height: one a pixel of radius, up to ten
// short of half the height.
int stepCount(double extentHeight);

// What the user reads when the run cannot start for want of a usable expansion factor.
QString nonPositiveFactorMessage();

// The parts of a run that draw, kept apart so that the benchmark times exactly what a step does.
namespace detail {

// The variables of one run. A run nested inside another has its own.
struct Run {
    double ExpansionFactor = 0;
    // The factor as typed, which the errors it leads to name.
    platform::Cause Factor;
    double ParticleCount = 150; // the highest particle number
    double CentreX = 0;
    double CentreY = 0;
    double MaxRadius = 0;
    double AgeScale = 0;
    double Radius = 1;
    double PrevRadius = 0;
    double Age = 0;
    platform::Colour PointColour = 0;
};

// Everything a run does before its first step: the factor read and checked (false, after a
// warning, when there is none to run with), the display cleared, the legend coloured and every
// particle given its speed and its direction or place.
bool SetupRun(Run& run, const Host& host);

// Ring, overdraw in white and the 2 x 2 block of every particle at its place for Radius.
void DynamicStep(Run& run, DisplayWindow& display);
// Every particle redrawn at its fixed place in the colour of the current age.
void StaticStep(Run& run, DisplayWindow& display);

} // namespace detail
} // namespace kelvane::Module1
