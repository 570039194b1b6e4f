#pragma once

#include "kelvane/engine/windows.h"
#include "platform/core/colour.h"
#include "platform/core/numeric.h"

#include <QString>

// The expansion engine. Its state is module-level on purpose: it lives for the whole program,
// starts at zero and carries over from one run to the next, including into a run started while
// another one is under way.
namespace kelvane::Module1 {

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

} // namespace kelvane::Module1
