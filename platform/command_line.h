#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// What the command line asks for. The programs take no arguments of their own: only help, the
// version, and the options Qt reads itself.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, UsageError };
    Action action = Action::Run;
    QString text;       // what to print: to standard output, or to standard error on a usage error
    int exitStatus = 0; // when the action is not Run
    QString platformOption; // Qt's -platform, empty when not given
    QString displayOption;  // Qt's -display, empty when not given
};

// Reads the arguments (the program's name first), with the application name and version already
// set. The description is the first line of the help.
CommandLine readCommandLine(const QStringList& arguments, const QString& description);

} // namespace platform
