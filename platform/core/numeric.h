#pragma once

#include "platform/core/errors.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace platform {

// Conversions round to the nearest whole number, a tie going to the even neighbour
// (0.5 -> 0, 2.5 -> 2, 3.5 -> 4); a value outside the target's range is the overflow error, with
// the cause given.
std::int16_t toInt16(double value, const Cause& cause = noCause);
std::int32_t toInt32(double value, const Cause& cause = noCause);

// The floating-point status after a result: with finite operands, an invalid operation gives a
// NaN and a division by zero or an overflow gives an infinity, so testing the result is enough.
// The cause, where given, is the input that alone can have made the result fault.
inline double checkFloat(double result, const Cause& cause = noCause) {
    if (!std::isfinite(result)) [[unlikely]]
        raiseFloatFault({}, cause);
    return result;
}

inline double floorValue(double value) {
    return std::floor(value);
}
inline double sine(double radians) {
    return std::sin(radians);
}
inline double cosine(double radians) {
    return std::cos(radians);
}

// A fixed-bounds table indexed by a floating-point number, as the engine's tables are: the index
// is converted half to even and checked against the bounds on every access.
template <class T, int Lo, int Hi> class Table {
    static_assert(Lo <= Hi);

  public:
    T& operator()(double index) { return values_[slot(index)]; }
    const T& operator()(double index) const { return values_[slot(index)]; }

    void fill(T value) { values_.fill(value); }

  private:
    static std::size_t slot(double index) {
        const std::int32_t i = toInt32(index);
        if (i < Lo || i > Hi) [[unlikely]]
            raiseBoundsError();
        return static_cast<std::size_t>(i - Lo);
    }

    std::array<T, Hi - Lo + 1> values_{};
};

} // namespace platform
