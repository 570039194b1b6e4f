#pragma once

#include <QApplication>
#include <QString>

#include <chrono>
#include <memory>

namespace platform {

// What the user reads when the window system fails at start: each reason follows the program's
// name on a line of its own.
struct StartFailure {
    QString program;
    QString unreachable; // Qt could not reach the window system, or it died while Qt set up
    QString silent;      // the window system took the connection but gave no answer in time
};

// Creates the application. Should Qt fail to reach the window system, it would abort the process
// after several lines of its own, or crash on the answers of a server that dies midway, or wait
// for ever on one that never answers; instead the user reads one of the lines alone on standard
// error and the process exits with status 1. The messages Qt gives while it starts are held back
// until the application stands and is known to show windows, so that a failure prints nothing but
// that line. Where no session bus is there, the application runs without one rather than have
// one launched that would outlive it.
std::unique_ptr<QApplication>
startApplication(int& argc, char** argv, const StartFailure& failure,
                 std::chrono::seconds answerLimit = std::chrono::seconds(10));

} // namespace platform
