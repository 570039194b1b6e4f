#pragma once

#include <cstdint>

namespace platform {

// Red in the low byte, then green, then blue; the high byte is zero.
using Colour = std::int32_t;

// The standard 16-colour palette: 0 black, 1 blue, 2 green, 3 cyan, 4 red, 5 magenta, 6 brown,
// 7 light grey, 8 dark grey, 9 to 14 the bright forms of 1 to 6, 15 bright white.
// An index outside 0 to 15 is the subscript error.
Colour paletteColour(int index);

// Components above 255 count as 255, and below 0 as 0.
Colour rgbColour(int red, int green, int blue);

inline int redOf(Colour c) {
    return c & 0xff;
}
inline int greenOf(Colour c) {
    return (c >> 8) & 0xff;
}
inline int blueOf(Colour c) {
    return (c >> 16) & 0xff;
}

} // namespace platform
