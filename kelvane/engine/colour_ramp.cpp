#include "kelvane/engine/module1.h"

namespace kelvane::Module1 {

using platform::checkFloat;

void SpectrumColour(const double& range, const double& value, platform::Colour& colour) {
    const double w = checkFloat(range / 7.0);
    const double k = platform::floorValue(checkFloat(value / w));

    // How far value has come through the band that starts at start, from 0 towards 256.
    const auto along = [&](double start) { return (value - start) * 256 / w; };
    // Components above 255 are limited by rgbColour; that keeps the first value of every falling
    // stretch (256) a valid colour.
    const auto component = [](double result) { return platform::toInt16(checkFloat(result)); };

    int red = 0;
    int green = 0;
    int blue = 0;
    if (k == 0) { // white to yellow
        red = 255;
        green = 255;
        blue = component(256 - along(0));
    } else if (k == 1) { // yellow to red
        red = 255;
        green = component(256 - along(w));
    } else if (k == 2) { // red to magenta
        red = 255;
        blue = component(along(w + w));
    } else if (k == 3) { // magenta to blue
        red = component(256 - along(w * 3));
        blue = 255;
    } else if (k == 4) { // blue to cyan
        green = component(along(w * 4));
        blue = 255;
    } else if (k == 5) { // cyan to green
        green = 255;
        blue = component(256 - along(w * 5));
    } else if (k == 6) { // green to black
        green = component(256 - along(w * 6));
    } else if (k != 7) { // past black, or below white: the caller's colour stands
        return;
    }
    colour = platform::rgbColour(red, green, blue);
}

} // namespace kelvane::Module1
