#pragma once

#include "platform/core/colour.h"

namespace kelvane {
class Form2;
}

// The parts of a run that draw, kept apart so that the benchmark times exactly what a step does.
namespace kelvane::Module1::detail {

// The variables of one run. A run nested inside another has its own.
struct Run {
    double ExpansionFactor = 0;
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

// Ring, overdraw in white and the 2 x 2 block of every particle at its place for Radius.
void DynamicStep(Run& run, Form2& display);
// Every particle redrawn at its fixed place in the colour of the current age.
void StaticStep(Run& run, Form2& display);

} // namespace kelvane::Module1::detail
