#pragma once

#include "kelvane/engine/module1.h"
#include "platform/core/errors.h"

// The parts of a run that draw, kept apart so that the benchmark times exactly what a step does.
namespace kelvane::Module1::detail {

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

} // namespace kelvane::Module1::detail
