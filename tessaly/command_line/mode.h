#pragma once

#include "platform/core/command_line.h"

namespace tessaly::command_line {

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
