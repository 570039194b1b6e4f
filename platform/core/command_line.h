#pragma once

#include "platform/core/version.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

namespace platform {

// An option of a program's own, spelt the GNU way: "--name VALUE" or "--name=VALUE", or "--name"
// alone for a switch. The name must differ from Qt's options and from help and version.
struct ProgramOption {
    QString name;        // without the dashes
    QString valueName;   // shown in the help; empty for a switch
    QString description; // one line for the help
};

// The program's own options the user gave, each once, with their values (empty for a switch).
struct ProgramArguments {
    QString program; // the name the program goes by in its messages, whatever the action
    QMap<QString, QString> values;

    bool isSet(const QString& name) const { return values.contains(name); }
    QString value(const QString& name) const { return values.value(name); }
};

// What the command line asks for: the windows, help, the version, or the program's command-line
// mode when one of its own options is given. Qt's own options pass in every case.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, UsageError, ProgramMode };
    Action action = Action::Run;
    QString text;       // what to print: to standard output, or to standard error on a usage error
    int exitStatus = 0; // when the action is not Run
    QString platformOption;            // Qt's -platform, empty when not given
    QString displayOption;             // Qt's -display, empty when not given
    ProgramArguments programArguments; // its values when the action is ProgramMode
};

// The text as a terminal should receive it: every character it would act on instead of showing
// (escape sequences, bells, line breaks, direction marks) is written out as \e, \a, \n, \xNN or
// \u{NNNN}, so that an argument cannot retitle or rewrite the user's terminal.
QString printable(const QString& text);

// Reads the arguments (the program's name first), with the application name and version already
// set. The description is the first line of the help, which lists the program's options after
// help and version. Parsing is strict: an unknown option, a program option with one dash, given
// twice or without its value, and any argument that is not an option are usage errors.
CommandLine readCommandLine(const QStringList& arguments, const QString& description,
                            const std::vector<ProgramOption>& programOptions = {});

// A decimal number and nothing else, as a command-line mode takes a number: the windows are
// lenient with what follows a number, a command line is not. Only ASCII digits count.
bool isPlainNumber(const QString& text);
// The refusal of an option's value that is not a plain number; empty when it is one.
QString plainNumberProblem(const QString& option, const QString& text);

// An argument as a command-line mode's message quotes it: 'value', control characters written
// out as printable() does.
QString quotedArgument(const QString& value);

// For a command-line mode that finds a value it cannot use: "<program>: <problem>" and "Try
// '<program> --help'." on the standard error; returns the usage error's status, 2.
int usageError(const QString& program, const QString& problem);

// For a command-line mode that cannot do what was asked: "<program>: <problem>" on the standard
// error; returns 1.
int runFailure(const QString& program, const QString& problem);

// For the help and the version: the text on the standard output, and 0. Where it cannot be
// written there (a full disk, a closed output), one line on the standard error that says so, and
// 1: a help that nobody received is no success.
int showText(const QString& program, const QString& text);

} // namespace platform
