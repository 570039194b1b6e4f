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

// What stays untouched below the limit: room for an event dispatch with its handlers and for the
// report of a run-time error, both of which may start from the deepest frame a computation
// reaches.
std::size_t stackReserve(std::size_t stackSize);

// The lowest address a frame may have before a deep computation has to stop with the
// out-of-stack error; computed once per thread.
std::uintptr_t stackLimit();

// True when the caller has come below the limit.
bool stackExhausted();

// Raises the out-of-stack run-time error when the caller has come below the limit.
void checkStack();

} // namespace platform
