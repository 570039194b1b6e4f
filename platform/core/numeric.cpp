#include "platform/core/numeric.h"

#include <limits>
#include <optional>

namespace platform {
namespace {

template <class Int> std::optional<Int> roundedTo(double value) {
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

template <class Int> Int roundedOrOverflow(double value, const Cause& cause) {
    if (const std::optional<Int> r = roundedTo<Int>(value))
        return *r;
    raiseOverflow({}, cause);
}

} // namespace

std::int16_t toInt16(double value, const Cause& cause) {
    return roundedOrOverflow<std::int16_t>(value, cause);
}
std::int32_t toInt32(double value, const Cause& cause) {
    return roundedOrOverflow<std::int32_t>(value, cause);
}

} // namespace platform
