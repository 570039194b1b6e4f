#pragma once

#include "command_line.h"
#include "parameters.h"

#include <QImage>

#include <functional>

namespace kelvane::render {

// Runs one whole animation in the program's own windows, from a fresh program start: the
// parameters typed into the control window's boxes, the display window at the size and unseen,
// and a clock on which the pauses take no time. Calls atEachStep with the display window's
// picture at every step's dispatch point, and returns the final picture: the very image the
// display window holds. Needs an application; lets out what the run throws, and what atEachStep
// throws.
QImage runAnimation(const Parameters& parameters,
                    const std::function<void(const QImage&)>& atEachStep = {});

// Kelvane's command-line mode: reads the options, runs the animation without a display and
// writes the pictures, each file whole or not at all. Returns 0, 1 when the pictures could not
// be made or written, or 2 for options it cannot use.
int commandLineMode(const platform::ProgramArguments& arguments);

} // namespace kelvane::render
