#include "platform/core/numeric.h"

#include <limits>

namespace platform {

template <class Int> std::optional<Int> rounded(double value) {
    // nearbyint honours the current rounding mode, which nothing here changes from
    // round-to-nearest-even.
    const double r = std::nearbyint(value);
    // The upper limit is a power of two, exact as a double; the comparison is written so that a
    // NaN fails it.
    constexpr double lo = static_cast<double>(std::numeric_limits<Int>::min());
    constexpr double hiExclusive = -lo;
    if (!(r >= lo && r < hiExclusive))
        return std::nullopt;
    return static_cast<Int>(r);
}
template std::optional<std::int16_t> rounded(double);
template std::optional<std::int32_t> rounded(double);

namespace {

template <class Int> Int roundedOrOverflow(double value) {
    if (const std::optional<Int> r = rounded<Int>(value))
        return *r;
    raiseOverflow();
}

} // namespace

std::int16_t toInt16(double value) {
    return roundedOrOverflow<std::int16_t>(value);
}
std::int32_t toInt32(double value) {
    return roundedOrOverflow<std::int32_t>(value);
}

} // namespace platform
