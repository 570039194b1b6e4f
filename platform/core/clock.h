#pragma once

#include <chrono>

namespace platform {

// Time as the programs see it. Tests install a FakeClock so that runs paced in tenths of
// seconds finish at once, while the program code stays the same.
class Clock {
  public:
    using Duration = std::chrono::nanoseconds;

    virtual ~Clock() = default;
    // Seconds since local midnight, back to 0 at midnight.
    virtual double secondsSinceMidnight() = 0;
    // Steady time from an arbitrary origin: for pauses and elapsed times.
    virtual Duration monotonic() = 0;
    // Waits without using the processor until monotonic() has reached the deadline.
    virtual void sleepUntil(Duration deadline) = 0;
};

class SystemClock final : public Clock {
  public:
    double secondsSinceMidnight() override;
    Duration monotonic() override;
    void sleepUntil(Duration deadline) override;

    // How a sleep waits. Without windows the thread just sleeps; a program with windows installs
    // a wait that keeps them painted and answered meanwhile (platform/forms/runtime.h).
    using Sleeper = void (*)(std::chrono::steady_clock::time_point deadline);
    static void setSleeper(Sleeper sleeper);
};

// Moves only when told to, or when someone sleeps: a sleep jumps straight to its deadline.
class FakeClock final : public Clock {
  public:
    explicit FakeClock(double secondsSinceMidnight = 36000.0);

    double secondsSinceMidnight() override;
    Duration monotonic() override { return now_; }
    void sleepUntil(Duration deadline) override;

    void advance(Duration by);
    int sleeps() const { return sleeps_; }

  private:
    double midnightOffset_;
    Duration now_{};
    int sleeps_ = 0;
};

// The clock in use; the system clock unless one was installed.
Clock& activeClock();
// Installs a clock (not owned); nullptr goes back to the system clock.
void setClock(Clock* clock);

// Seconds since midnight at single precision, as the programs read it.
float clockSeconds();

} // namespace platform
