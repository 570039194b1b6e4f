#pragma once

#include "platform/core/command_line.h"
#include "tessaly/command_line/scan.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace tessaly::command_line {

// What a run on the command line is asked to do.
struct Settings {
    QString indexText; // as given, for the messages
    // The index; none when it has more digits than a number holds, which the run reports as the
    // window does.
    std::optional<double> index;
    std::int64_t cycles = 1;
    std::int64_t warmup = 0; // cycles run before those timed, from 0 to mostCycles
    bool json = false;
    bool progress = true; // on a terminal only, whatever this says
    QString compare;      // the file of the run to compare with; empty for none
    QString saved;        // the file of a saved run to take instead of running; empty for none
    // A scan of every index of the range, when the index is one; index then holds its first.
    std::optional<IndexRange> range = {};
    // The files to write once the run is over, as given; empty for none.
    QString plot = {};
    QString exportCsv = {};
    QString exportMarkdown = {};
};

// A run keeps every cycle's seconds: a million of them is 8 MB, and a million cycles of even the
// smallest index that takes any time run for hours. The warm-up is held to the same bound.
inline constexpr std::int64_t mostCycles = 1000000;

// The options of Tessaly's command line.
std::vector<platform::ProgramOption> options();

// The settings the options give, or in problem the one line that says what is wrong with them.
std::optional<Settings> readSettings(const platform::ProgramArguments& arguments, QString& problem);

// Tessaly's command-line mode: computes the Fibonacci number of the index as many times as asked,
// by the window's own counted recursion, and prints the number, every cycle's seconds and their
// statistics, as text or JSON. A range of indices scans them, a row each, and fits how the
// seconds grow. The figures also go to a plot and to CSV and Markdown tables where asked. With a
// saved run to compare with, the comparison follows; a saved run can also stand in for the run.
// Needs no display, and creates no application but the offscreen one a plot's text needs. SIGINT
// and SIGTERM cancel the run as the Cancel button does; what finished is printed, and written,
// all the same. Returns 0; 1 for an index whose number does not fit 64 bits, results or a file it
// cannot write; 2 for options it cannot use and saved runs it refuses; 128 + the signal's number
// after a cancel.
int commandLineMode(const platform::ProgramArguments& arguments);

} // namespace tessaly::command_line
