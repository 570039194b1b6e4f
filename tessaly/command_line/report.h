#pragma once

#include "tessaly/command_line/statistics.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace tessaly::command_line {

// The format of the JSON document: a reader takes what it knows and refuses a newer one.
inline constexpr int jsonFormat = 1;

// What a run came to, cancelled or not.
struct Outcome {
    double index = 0;
    QString indexText = {};           // as given
    std::int64_t cycles = 1;          // as asked for
    std::int64_t warmup = 0;          // cycles run first and left out of every figure
    std::uint64_t callsPerCycle = 0;  // counted calls of one cycle
    std::vector<double> seconds = {}; // of every cycle done
    // The number the cycles done gave; none when no cycle finished. A cancelled cycle's partial
    // sum never becomes it.
    std::optional<std::int64_t> result = {};
    bool cancelled = false;
};

// Seconds with six significant digits.
QString secondsText(double seconds);

// The line printed as a cycle ends.
QString cycleLine(std::int64_t cycle, std::int64_t cycles, double seconds);

// What follows the cycles' lines: the number, the calls, the statistics, and a cancel if any.
QString summaryText(const Outcome& outcome);

// The words that say the mean misleads, and what to try; empty where it does not.
QString scatterWarning(const std::vector<double>& seconds);

// The run as a JSON object; the count of calls is held as a string of its digits, which jsonText
// writes as the integer it is.
QJsonObject runObject(const Outcome& outcome, const QString& version, const QString& processor);

// The document as text, every count of calls in it the exact integer it is, which a JSON value of
// Qt's (a 64-bit signed integer or a double) cannot always hold.
QByteArray jsonText(const QJsonObject& document);

// The JSON document of a run, as text.
QByteArray jsonReport(const Outcome& outcome, const QString& version, const QString& processor);

// The processor's name in the text of /proc/cpuinfo: its model name where the kernel gives one
// (x86), else the name of the core its implementer and part numbers stand for (arm64), else
// "unknown".
QString processorModel(const QByteArray& cpuinfo);

// What a person comparing machines knows this one's processor by: the board's model from the
// device tree (a single-board computer says which board it is), else processorModel of
// /proc/cpuinfo. The files are read under root, which tests point at a fixture.
QString processorName(const QString& root = QStringLiteral("/"));

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
