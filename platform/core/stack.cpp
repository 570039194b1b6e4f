#include "platform/core/stack.h"

#include "platform/core/errors.h"

#include <pthread.h>
#include <sys/resource.h>

#include <algorithm>

namespace platform {
namespace {

constexpr std::size_t KiB = 1024;
constexpr std::size_t MiB = 1024 * KiB;

// An unlimited stack still meets some other mapping sooner or later; beyond this size the
// computation stops anyway, well before that can happen.
constexpr std::size_t largestUsedStack = 256 * MiB;
// When the system tells nothing, the common default.
constexpr std::size_t fallbackStack = 8 * MiB;

[[gnu::noinline]] std::uintptr_t currentFrame() {
    return reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
}

} // namespace

StackBounds stackBounds() {
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        void* address = nullptr;
        std::size_t size = 0;
        const bool known = pthread_attr_getstack(&attributes, &address, &size) == 0 && size > 0;
        pthread_attr_destroy(&attributes);
        if (known) {
            const auto low = reinterpret_cast<std::uintptr_t>(address);
            const std::uintptr_t high = low + size;
            return {high - std::min(size, largestUsedStack), high};
        }
    }
    // No word from the thread library: the limit, counted from where we stand now.
    rlimit limit{};
    const bool limited = getrlimit(RLIMIT_STACK, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY;
    const std::uintptr_t here = currentFrame();
    const std::size_t size =
        std::min({limited ? static_cast<std::size_t>(limit.rlim_cur) : largestUsedStack,
                  fallbackStack, here});
    return {here - size, here};
}

std::uintptr_t stackLimit() {
    thread_local const std::uintptr_t limit = [] {
        const StackBounds bounds = stackBounds();
        const std::size_t size = bounds.high - bounds.low;
        // What stays untouched below the limit: room for an event dispatch with its handlers and
        // for the report of a run-time error, both of which may start from the deepest frame a
        // computation reaches.
        const std::size_t reserve = std::clamp(size / 4, 256 * KiB, 2 * MiB);
        return bounds.low + std::min(reserve, size / 2);
    }();
    return limit;
}

void checkStack() {
    if (currentFrame() < stackLimit())
        raiseOutOfStack(QStringLiteral("The calculation nests deeper than the stack allows."));
}

} // namespace platform
