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

// The text as a terminal should receive it: every character it would act on instead of showing
// (escape sequences, bells, line breaks, direction marks) is written out as \e, \a, \n, \xNN or
// \u{NNNN}, so that an argument cannot retitle or rewrite the user's terminal.
QString printable(const QString& text);

// The name the program goes by in its messages: the last part of its path, or fallback when
// the path is empty.
QString programName(const QStringList& arguments, const QString& fallback);

// Reads the arguments (the program's name first), with the application name and version already
// set. The description is the first line of the help.
CommandLine readCommandLine(const QStringList& arguments, const QString& description);

} // namespace platform
