#include "platform/core/colour.h"

#include "platform/core/errors.h"

#include <algorithm>

namespace platform {

Colour paletteColour(int index) {
    // As Colour values: blue, green, red from the high byte down.
    static constexpr Colour palette[16] = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xc0c0c0,
        0x808080, 0xff0000, 0x00ff00, 0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff};
    if (index < 0 || index > 15)
        raiseBoundsError(QStringLiteral("There is no palette colour %1.").arg(index));
    return palette[index];
}

Colour rgbColour(int red, int green, int blue) {
    auto limited = [](int c) { return std::clamp(c, 0, 255); };
    return limited(red) | limited(green) << 8 | limited(blue) << 16;
}

} // namespace platform
