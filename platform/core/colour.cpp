#include "platform/core/colour.h"

#include "platform/core/errors.h"

#include <algorithm>
#include <array>

namespace platform {

Colour paletteColour(int index) {
    static constexpr std::array<std::array<int, 3>, 16> palette{{
        {0, 0, 0},
        {0, 0, 128},
        {0, 128, 0},
        {0, 128, 128},
        {128, 0, 0},
        {128, 0, 128},
        {128, 128, 0},
        {192, 192, 192},
        {128, 128, 128},
        {0, 0, 255},
        {0, 255, 0},
        {0, 255, 255},
        {255, 0, 0},
        {255, 0, 255},
        {255, 255, 0},
        {255, 255, 255},
    }};
    if (index < 0 || index > 15)
        raiseBoundsError(QStringLiteral("There is no palette colour %1.").arg(index));
    const auto& [r, g, b] = palette[static_cast<std::size_t>(index)];
    return rgbColour(r, g, b);
}

Colour rgbColour(int red, int green, int blue) {
    auto limited = [](int c) { return std::clamp(c, 0, 255); };
    return limited(red) | limited(green) << 8 | limited(blue) << 16;
}

} // namespace platform
