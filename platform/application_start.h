#pragma once

#include <QApplication>
#include <QString>

#include <memory>

namespace platform {

// Creates the application. Should Qt fail to reach the window system, it would abort the process
// after several lines of its own; instead the user reads failureLine alone on standard error and
// the process exits with status 1. The messages Qt gives while it starts are held back until the
// application stands, so that a failure prints nothing but that line.
std::unique_ptr<QApplication> startApplication(int& argc, char** argv, const QString& failureLine);

} // namespace platform
