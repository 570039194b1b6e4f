#pragma once

#include "tessaly/command_line/report.h"

#include <QString>

#include <optional>
#include <vector>

namespace tessaly::command_line {

// The whole indices a scan runs, both ends included, smallest first.
struct IndexRange {
    int first = 0;
    int last = 0;
    int count() const { return last - first + 1; }
};

// Whether the index's text asks for a range ("FROM..TO") rather than one index.
bool isRange(const QString& text);

// The range the text names, or in problem the one line that says why it cannot be scanned.
// The ends are whole, the first below the last, from 0 up to the largest index whose number
// 64 bits hold: every index below 0 is the same computation without a counted call.
std::optional<IndexRange> readRange(const QString& text, QString& problem);

// The nanoseconds of one counted call, as callCost gives them: none for an index that makes no
// counted call, or a cycle that took no measurable time.
std::optional<double> nanosecondsPerCall(double seconds, std::uint64_t calls);

// The cost per call as the tables show it, four significant digits; "-" for none.
QString perCallText(double seconds, std::uint64_t calls);

// "mean ± sd" of the seconds, as the tables show them.
QString meanAndDeviationText(const Statistics& seconds);

// How the seconds grow from one index to the next: a least-squares line through the logarithm
// of the seconds against the index.
struct Growth {
    double slope = 0;     // of log(seconds) per index step
    double intercept = 0; // log(seconds) at index 0
    // The slope's standard error; none with two points, which a line always meets.
    std::optional<double> slopeError;
    int points = 0;

    double perStep() const;
    // The standard error of perStep, carried from the slope's.
    std::optional<double> perStepError() const;
    // The seconds the line gives at an index.
    double secondsAt(double index) const;
};

// The line through the points whose seconds are above 0 (a logarithm needs them so); none
// when fewer than two such points remain.
std::optional<Growth> fitGrowth(const std::vector<double>& indices,
                                const std::vector<double>& seconds);

// The fit of the rows a scan finished, through each index's mean seconds.
std::optional<Growth> scanGrowth(const std::vector<Outcome>& rows);

// The head of the table a scan prints, its columns as wide as the range's last index needs.
QString scanHeader(const IndexRange& range);

// The line printed as an index of a scan finishes.
QString scanRow(const IndexRange& range, const Outcome& row);

// What follows the rows: a cancel if any, the growth per index step beside the golden ratio,
// and whether the cost per call held steady.
QString scanSummary(const IndexRange& range, const std::vector<Outcome>& rows, bool cancelled);

// The spread of the cost per call across a scan above which it no longer counts as steady: a
// cache that no longer holds the recursion's stack, or a clock that changed its pace, shows
// this much.
inline constexpr double steadyCostSpread = 0.10;

} // namespace tessaly::command_line
