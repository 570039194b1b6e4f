#pragma once

#include <cstdint>

namespace platform {

// The next number of a uniform sequence in [0, 1), single precision. The sequence is never
// seeded by the programs: every program start replays the same numbers.
float nextRandom();

// Back to the first number of the sequence, as at program start.
void resetRandom();

// How many numbers have been drawn since the last reset.
std::uint64_t randomDraws();

} // namespace platform
