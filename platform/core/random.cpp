#include "platform/core/random.h"

#include <random>

namespace platform {
namespace {

constexpr std::uint32_t fixedSeed = 0x6b656c76u;

struct Sequence {
    std::mt19937 engine{fixedSeed};
    std::uint64_t draws = 0;
} sequence;

} // namespace

float nextRandom() {
    ++sequence.draws;
    // 24 random bits fill a float's mantissa exactly, so the result is uniform and below 1.
    return static_cast<float>(sequence.engine() >> 8) * 0x1p-24f;
}

void resetRandom() {
    sequence = Sequence{};
}

std::uint64_t randomDraws() {
    return sequence.draws;
}

} // namespace platform
