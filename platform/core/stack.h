#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// The stack of the calling thread: from its lowest possible address up to its top.
struct StackBounds {
    std::uintptr_t low;
    std::uintptr_t high;
};

// Read from the thread's real stack (its mapping and the stack size limit), not assumed.
StackBounds stackBounds();

// The lowest address a frame may have before a deep computation has to stop with the
// out-of-stack error; computed once per thread.
std::uintptr_t stackLimit();

// Raises the out-of-stack run-time error when the caller has come below the limit.
void checkStack();

} // namespace platform
