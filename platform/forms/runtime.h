#pragma once

#include "platform/core/command_line.h"
#include "platform/core/errors.h"

#include <QObject>
#include <QString>
#include <QWidget>

#include <chrono>
#include <functional>
#include <typeindex>

namespace platform {

// Unwinds a handler once the program has ended. Deliberately not a std::exception, so that no
// handler of the programs' own can mistake it for an error.
struct ProgramEnded {};

// Says what a run-time error means to the user of one program, in terms of what they typed, and
// what they can do instead. An empty text leaves the plain description of the error's kind.
using ErrorWording = std::function<QString(const RuntimeError&)>;

// What a program does on the command line instead of opening windows: it receives the values of
// its own options and returns the exit status (usageError 2, runFailure 1). It runs before any
// application object exists. A run-time error it lets out is reported on one line in the
// program's words, with status 1.
using CommandLineMode = std::function<int(const ProgramArguments&)>;

struct Project {
    QString name;        // product name, also the application name
    QString desktopFile; // id of the desktop entry, also the name of the icon
    std::function<void()> showStartupForm;
    QString summary = {};           // one line on what the program does, for --help
    ErrorWording errorWording = {}; // the program's words for its run-time errors
    // Places its windows itself, which only X11 lets it: it prefers X11 (XWayland on a Wayland
    // desktop) where the user chose no platform. A program that does not runs natively there.
    bool placesWindows = false;
    // The program's own options, listed in --help; when any of them is given, runProgram calls
    // commandLineMode instead of opening windows.
    std::vector<ProgramOption> options = {};
    CommandLineMode commandLineMode = {};
};

// Reads the command line, creates the application, shows the start-up window and dispatches
// events until the program ends; returns the exit status (0 after End, closing the start-up
// window, --help or --version; 1 after a run-time error or when no display can be reached; 2 after
// a usage error), or that of the command-line mode. The icon is :/icons/<desktopFile>.svg.
int runProgram(int& argc, char** argv, const Project& project);

// Ends the program at once: every window closes and the calling handler does not go on. Also
// unwinds every handler that is waiting in dispatchEvents further up the stack.
[[noreturn]] void endProgram();

// Ends the program from a place that must not throw (a close event): the handlers further up
// unwind at their next dispatch.
void requestEnd(int status);

bool programEnded();
int exitStatus();

// Lets waiting window events run, with their handlers, then returns. Throws ProgramEnded when a
// handler ended the program, so that the caller does not go on. Asking the window system costs
// microseconds, and a long computation comes by every few microseconds: a call within
// fullDispatchInterval of the last one that asked returns without asking again, so that an event
// waits at most that much longer for its dispatch point. Events are only ever handled at a
// dispatch point, and every call runs the dispatch hook and the test for an ended program.
void dispatchEvents();
inline constexpr std::chrono::microseconds fullDispatchInterval{1000};

// Called at the start of every dispatchEvents: tests use it to click at chosen dispatch points.
void setDispatchHook(std::function<void()> hook);

// Waits, asleep, until the steady clock reaches the deadline, while the window system's own
// traffic goes on: paints and exposes, timers and the accessibility bus, so that the windows
// repaint and a screen reader is answered. Clicks and keys stay queued for the next
// dispatchEvents, and so does a button pressed through the accessibility interface: no handler of
// the programs runs before that dispatch. Throws ProgramEnded when the program ended meanwhile
// (its start-up window was closed). Without an application on this thread it only sleeps.
void pauseUntil(std::chrono::steady_clock::time_point deadline);

// The boundary between Qt and the programs' handlers: nothing thrown crosses into Qt's event
// loop. A run-time error is reported and ends the program with status 1.
void runHandler(const std::function<void()>& handler) noexcept;

template <class Sender, class Signal>
QMetaObject::Connection connectHandler(Sender* sender, Signal signal,
                                       std::function<void()> handler) {
    return QObject::connect(sender, signal, sender,
                            [handler = std::move(handler)] { runHandler(handler); });
}

// Shows the report of a run-time error; the default is a message box titled with the program's
// name that shows reportText. Either way one line goes to the standard error for the log.
using ErrorReporter = std::function<void(const RuntimeError&)>;
void setErrorReporter(ErrorReporter reporter);

// Shows a warning about what the user gave the program, which goes on running afterwards; the
// default is a message box titled with the program's name over the active window.
using WarningReporter = std::function<void(const QString& message)>;
void setWarningReporter(WarningReporter reporter);
void reportWarning(const QString& message);

// Kept until replaced: a new program start does not change the program's words.
void setErrorWording(ErrorWording wording);

// The program's words for the error, or the plain description of its kind when it has none: what
// a command-line mode prints. The report adds that the program will close.
QString errorText(const RuntimeError& error);
QString reportText(const RuntimeError& error);

// Back to the state of a fresh program start: deletes the window instances, forgets the end,
// restarts the random sequence. For tests, and for runProgram on its way out.
void resetProgram();

namespace detail {
QWidget*& instance(std::type_index type);
} // namespace detail

// The one program-wide instance of a window class, created on first use and not shown by that.
template <class Window> Window& ensureInstance() {
    QWidget*& instance = detail::instance(typeid(Window));
    if (!instance)
        instance = new Window;
    return *static_cast<Window*>(instance);
}

template <class Window> bool hasInstance() {
    return detail::instance(typeid(Window)) != nullptr;
}

} // namespace platform
