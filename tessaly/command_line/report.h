#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace tessaly::command_line {

// Of the seconds of the cycles done: the mean, the sample standard deviation (0 for one cycle),
// the fastest and the slowest.
struct Statistics {
    double mean = 0;
    double standardDeviation = 0;
    double min = 0;
    double max = 0;
};

// None for no cycles.
std::optional<Statistics> statistics(const std::vector<double>& seconds);

// What a run came to, cancelled or not.
struct Outcome {
    double index = 0;
    QString indexText = {};           // as given
    std::int64_t cycles = 1;          // as asked for
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

// The JSON document, as text: the count of calls is written as the exact integer it is, which a
// JSON value of Qt's (a 64-bit signed integer or a double) cannot always hold.
QByteArray jsonReport(const Outcome& outcome, const QString& version, const QString& processor);

} // namespace tessaly::command_line
