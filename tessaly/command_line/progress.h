#pragma once

#include <QString>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace tessaly::command_line {

// A duration as a person reads it: "4.2 s", "3 min 05 s", "2 h 07 min", "more than a day".
QString durationText(double seconds);

// The text cut to one character short of a terminal's columns, so that it never wraps, nor
// leaves the cursor in the last column, which some terminals take for a wrap; whole where the
// width is not known (0 columns).
QString fittedLine(const QString& text, int columns);

// The progress line's text; the time left is left out while it is not known.
QString progressText(std::int64_t cycle, std::int64_t cycles, double elapsed,
                     std::optional<double> left);

// One line on a terminal, redrawn in place: the cycle under way, the time since the run began
// and the time left. The time left is the calls still to make at the rate measured so far: the
// calls of a run are known before it starts.
class ProgressLine {
  public:
    using Clock = std::chrono::steady_clock;

    ProgressLine(std::FILE* terminal, double callsPerCycle, std::int64_t cycles);
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Redraws the line when a fifth of a second has passed since it was last drawn.
    void update(std::int64_t cycle, double callsDone);
    // Takes the line away, so that what follows starts on a clean line.
    void clear();

  private:
    std::FILE* terminal_;
    double callsPerCycle_;
    std::int64_t cycles_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point drawn_ = start_;
    bool shown_ = false;
};

} // namespace tessaly::command_line
