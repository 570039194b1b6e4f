#include "platform/core/numeric.h"

#include <limits>

namespace platform {
namespace {

template <class Int> Int rounded(double value, const Cause& cause) {
    // nearbyint honours the current rounding mode, which nothing here changes from
    // round-to-nearest-even.
    const double r = std::nearbyint(value);
    // The upper limit is a power of two, exact as a double; the comparison is written so that a
    // NaN fails it.
    constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
    if (!(r >= lo && r < -lo))
        raiseOverflow({}, cause);
    return static_cast<Int>(r);
}

} // namespace

std::int16_t toInt16(double value, const Cause& cause) {
    return rounded<std::int16_t>(value, cause);
}
std::int32_t toInt32(double value, const Cause& cause) {
    return rounded<std::int32_t>(value, cause);
}

} // namespace platform
