#pragma once

#include <csignal>

namespace platform {

// SIGINT and SIGTERM noted, not acted on, while an instance lives: a command-line mode checks
// caught() at its own safe points and winds down there, keeping what it finished. The handlers
// before it come back afterwards, and a signal its starter chose to ignore (a background job of
// a script) stays ignored. The handlers restart interrupted system calls, so that a signal never
// makes a write or a read fail half-way.
class StopSignals {
  public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The last signal caught since the instance was made, or 0.
    static int caught();

    // The exit status a shell gives a program this signal ended: 128 + its number.
    static int exitStatus(int signal) { return 128 + signal; }

  private:
    static constexpr int signals_[2] = {SIGINT, SIGTERM};
    struct sigaction previous_[2]{};
};

} // namespace platform
