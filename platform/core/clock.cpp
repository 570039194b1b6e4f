#include "platform/core/clock.h"

#include <thread>

namespace platform {
namespace {

Clock* installed = nullptr;
SystemClock::Sleeper sleeper = nullptr;

} // namespace

Clock::Duration SystemClock::monotonic() {
    return std::chrono::duration_cast<Duration>(
        std::chrono::steady_clock::now().time_since_epoch());
}

void SystemClock::sleepUntil(Duration deadline) {
    const std::chrono::steady_clock::time_point until(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(deadline));
    if (sleeper)
        sleeper(until);
    else
        std::this_thread::sleep_until(until);
}

void SystemClock::setSleeper(Sleeper waits) {
    sleeper = waits;
}

void FakeClock::sleepUntil(Duration deadline) {
    ++sleeps_;
    if (deadline > now_)
        now_ = deadline;
}

void FakeClock::advance(Duration by) {
    now_ += by;
}

Clock& activeClock() {
    static SystemClock system;
    return installed ? *installed : system;
}

void setClock(Clock* clock) {
    installed = clock;
}

} // namespace platform
