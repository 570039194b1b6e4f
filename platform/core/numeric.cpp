#include "platform/core/numeric.h"

#include <limits>

namespace platform {
namespace {

template <class Int> Int roundedTo(double value) {
    // nearbyint honours the current rounding mode, which nothing here changes from
    // round-to-nearest-even.
    const double r = std::nearbyint(value);
    // The upper limit is a power of two, exact as a double; the comparison is written so that a
    // NaN fails it.
    constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
    constexpr double hiExclusive = -lo;
    if (!(r >= lo && r < hiExclusive))
        raiseOverflow();
    return static_cast<Int>(r);
}

} // namespace

std::int16_t toInt16(double value) {
    return roundedTo<std::int16_t>(value);
}
std::int32_t toInt32(double value) {
    return roundedTo<std::int32_t>(value);
}
} // namespace platform
