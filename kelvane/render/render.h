#pragma once

#include "kelvane/render/parameters.h"
#include "platform/core/clock.h"
#include "platform/core/command_line.h"

#include <QImage>

#include <functional>

namespace kelvane::command_line {

// What is seen at a step's dispatch point: its picture, and the time on the run's own clock, from
// the run's start, on which every pause lasts as long as the window's does and takes no time.
using StepWatch = std::function<void(const QImage& picture, platform::Clock::Duration at)>;

// Runs one whole animation as from a fresh program start, through the engine the windows use, on
// a canvas of the size: the parameters stand for what is typed into the control window's boxes.
// Calls atEachStep at every step's dispatch point, and returns the final picture: the very pixels
// the display window shows. Needs no application and no display; lets out what the run throws,
// and what atEachStep throws.
QImage runAnimation(const Parameters& parameters, const StepWatch& atEachStep = {});

// How many pictures a run with the parameters writes: its frames and its final picture.
double picturesToWrite(const Parameters& parameters);

// What a run says before it starts when writing its pictures will take minutes at that pace of
// the PNG writer; empty for a shorter run.
QString longRunNote(const Parameters& parameters, double secondsPerPixel);

// Keeps the program's arguments (its name first) as the bytes they are, for the names of the
// files: their text has lost every byte that is not UTF-8.
void keepArgumentBytes(int argc, const char* const* argv);

// Kelvane's command-line mode: reads the options, runs the animation without a display and
// writes the pictures, each file whole or not at all. Returns 0, 1 when the pictures could not
// be made or written, or 2 for options it cannot use.
int commandLineMode(const platform::ProgramArguments& arguments);

} // namespace kelvane::command_line
