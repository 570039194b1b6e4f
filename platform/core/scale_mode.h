#pragma once

#include <cstdint>

namespace platform {

// The unit of a window's drawing coordinates and of its ScaleWidth and ScaleHeight.
enum ScaleMode : std::int16_t { Twips = 1, Pixels = 3 };

} // namespace platform
