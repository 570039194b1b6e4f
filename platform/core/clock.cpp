#include "platform/core/clock.h"

#include <QTime>

#include <cmath>
#include <thread>

namespace platform {
namespace {

Clock* installed = nullptr;
SystemClock::Sleeper sleeper = nullptr;

constexpr double secondsPerDay = 86400.0;

} // namespace

double SystemClock::secondsSinceMidnight() {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

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

FakeClock::FakeClock(double secondsSinceMidnight) : midnightOffset_(secondsSinceMidnight) {}

double FakeClock::secondsSinceMidnight() {
    const double elapsed = std::chrono::duration<double>(now_).count();
    return std::fmod(midnightOffset_ + elapsed, secondsPerDay);
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

float clockSeconds() {
    return static_cast<float>(activeClock().secondsSinceMidnight());
}

} // namespace platform
