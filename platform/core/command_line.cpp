#include "platform/core/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {
namespace {

// Qt takes these out of the arguments when the application is created. They are declared here
// only so that the parser lets them through; Qt still acts on them.
struct QtOption {
    const char* name;
    const char* valueName; // nullptr: a switch without a value
    const char* description;
    // Qt reads most values only as the next argument; these also as -option=value.
    bool readsJoinedValue = false;
};

constexpr QtOption qtOptions[] = {
    {"platform", "name[:options]", "Window system plug-in to use, e.g. xcb or offscreen."},
    {"platformpluginpath", "path", "Folder to load window system plug-ins from."},
    {"platformtheme", "theme", "Platform theme to use."},
    {"plugin", "plugin", "Additional input device plug-in to load."},
    {"display", "display", "X display to open the windows on (instead of DISPLAY)."},
    {"geometry", "geometry", "Geometry of the first window (X11)."},
    {"qwindowgeometry", "geometry", "Geometry of the first window."},
    {"qwindowicon", "icon", "Default window icon."},
    {"qwindowtitle", "title", "Title of the first window."},
    {"session", "session", "Session to restore."},
    {"style", "style", "Widget style.", true},
    {"stylesheet", "file", "Style sheet to apply.", true},
    {"qmljsdebugger", "port", "QML debugger settings."},
    {"name", "name", "Resource name and class of the windows (X11)."},
    {"title", "title", "Title of the first window (X11)."},
    {"icon", "icon", "Default window icon (X11)."},
    {"visual", "id", "X visual to use, e.g. 0x21 (X11)."},
    {"nograb", nullptr, "Never grab the mouse or the keyboard (X11)."},
    {"dograb", nullptr, "Grab the mouse and the keyboard even under a debugger (X11)."},
    {"testability", nullptr, "Load the testability plug-in."},
    {"reverse", nullptr, "Lay the windows out right to left."},
    {"widgetcount", nullptr, "Report the widgets left at the end."},
};

void declareOptions(QCommandLineParser& parser, const QString& description, bool showQtOptions,
                    const std::vector<ProgramOption>& programOptions) {
    // Qt's own options are single-dash words (-platform xcb), so no option is a bundle of letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    parser.addVersionOption();
    for (const ProgramOption& own : programOptions) {
        QCommandLineOption option(own.name, own.description);
        option.setValueName(own.valueName);
        [[maybe_unused]] const bool added = parser.addOption(option);
        Q_ASSERT_X(added, "declareOptions", "a program option takes a name already in use");
    }
    for (const QtOption& qt : qtOptions) {
        QCommandLineOption option(QString::fromLatin1(qt.name),
                                  QString::fromLatin1(qt.description));
        if (qt.valueName)
            option.setValueName(QString::fromLatin1(qt.valueName));
        if (!showQtOptions)
            option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// A problem with how an option is spelt that the parser lets through, in this order: a program
// option with one dash (which Qt's single-dash words make an option all the same), a program
// option given twice, or a Qt option given its value after an equals sign, where Qt would not
// read it and the option would silently do nothing.
QString spellingProblem(const QStringList& arguments, const QCommandLineParser& parser,
                        const std::vector<ProgramOption>& programOptions) {
    const auto find = [&](const QString& name) -> const ProgramOption* {
        const auto own = std::ranges::find(programOptions, name, &ProgramOption::name);
        return own == programOptions.end() ? nullptr : &*own;
    };
    const auto qtOption = [](const QString& name) -> const QtOption* {
        for (const QtOption& qt : qtOptions)
            if (qt.valueName && name == QLatin1String(qt.name))
                return &qt;
        return nullptr;
    };
    QString joined;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--"))
            break;
        if (!argument.startsWith(QLatin1Char('-')) || argument.size() < 2)
            continue;
        const bool twoDashes = argument.startsWith(QLatin1String("--"));
        const QString spelt = argument.section(QLatin1Char('='), 0, 0);
        const QString name = spelt.mid(twoDashes ? 2 : 1);
        const ProgramOption* own = find(name);
        if (!twoDashes && own)
            return QStringLiteral("Option '%1': write it with two dashes, as in '-%2'.")
                .arg(argument, spelt);
        const QtOption* qt = qtOption(name);
        if (argument.contains(QLatin1Char('='))) {
            if (joined.isEmpty() && qt && !qt->readsJoinedValue)
                joined = argument;
        } else if (own ? !own->valueName.isEmpty() : qt != nullptr) {
            ++i; // its value, whatever it looks like
        }
    }
    for (const ProgramOption& own : programOptions)
        if (parser.optionNames().count(own.name) > 1)
            return QStringLiteral("Option '--%1' is given more than once.").arg(own.name);
    if (!joined.isEmpty())
        return QStringLiteral("Option '%1': give the value as the next argument, as in '%2 %3'.")
            .arg(joined, joined.section(QLatin1Char('='), 0, 0),
                 joined.section(QLatin1Char('='), 1));
    return {};
}

QString helpText(const QCommandLineParser& parser, const QString& program) {
    // The parser's usage line names the program only once an application object exists, and
    // then by its full path: the line is written here instead.
    const QString text = parser.helpText();
    return QStringLiteral("Usage: %1 [options]").arg(program) + text.mid(text.indexOf(u'\n'));
}

} // namespace

QString printable(const QString& text) {
    static const QMap<char32_t, QString> named = {
        {0x07, QStringLiteral("\\a")}, {0x08, QStringLiteral("\\b")}, {0x09, QStringLiteral("\\t")},
        {0x0a, QStringLiteral("\\n")}, {0x0d, QStringLiteral("\\r")}, {0x1b, QStringLiteral("\\e")},
    };
    QString result;
    for (const char32_t c : text.toUcs4()) {
        if (named.contains(c))
            result += named.value(c);
        else if (QChar::isPrint(c))
            result += QString::fromUcs4(&c, 1);
        else if (c < 0x100)
            result += QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
        else
            result += QStringLiteral("\\u{%1}").arg(uint(c), 4, 16, QLatin1Char('0'));
    }
    return result;
}

CommandLine readCommandLine(const QStringList& arguments, const QString& description,
                            const std::vector<ProgramOption>& programOptions) {
    // The last part of its path, as the program goes by in its messages.
    const QString name = QFileInfo(arguments.value(0)).fileName();
    const QString program =
        name.isEmpty() ? QCoreApplication::applicationName().toLower() : printable(name);
    QCommandLineParser parser;
    declareOptions(parser, description, false, programOptions);

    CommandLine result;
    result.programArguments.program = program;
    QString error;
    if (!parser.parse(arguments))
        error = parser.errorText();
    else if (const QString spelling = spellingProblem(arguments, parser, programOptions);
             !spelling.isEmpty())
        error = spelling;
    else if (!parser.positionalArguments().isEmpty())
        error = QStringLiteral("Unexpected argument '%1'.")
                    .arg(parser.positionalArguments().constFirst());
    if (!error.isEmpty()) {
        result.action = CommandLine::Action::UsageError;
        result.text = program + QStringLiteral(": ") + printable(error) + QStringLiteral("\n\n") +
                      helpText(parser, program);
        result.exitStatus = 2;
    } else if (parser.isSet(QStringLiteral("help-all"))) {
        QCommandLineParser all;
        declareOptions(all, description, true, programOptions);
        result.action = CommandLine::Action::ShowHelp;
        result.text = helpText(all, program);
    } else if (parser.isSet(QStringLiteral("help"))) {
        result.action = CommandLine::Action::ShowHelp;
        result.text = helpText(parser, program);
    } else if (parser.isSet(QStringLiteral("version"))) {
        result.action = CommandLine::Action::ShowVersion;
        result.text = QCoreApplication::applicationName() + QLatin1Char(' ') +
                      QCoreApplication::applicationVersion() + QLatin1Char('\n');
    } else {
        result.platformOption = parser.value(QStringLiteral("platform"));
        result.displayOption = parser.value(QStringLiteral("display"));
        for (const ProgramOption& own : programOptions)
            if (parser.isSet(own.name))
                result.programArguments.values.insert(own.name, parser.value(own.name));
        if (!result.programArguments.values.isEmpty())
            result.action = CommandLine::Action::ProgramMode;
    }
    return result;
}

bool isPlainNumber(const QString& text) {
    // Anchored on the whole text: a "$" would also match before a final line break.
    static const QRegularExpression number(QRegularExpression::anchoredPattern(
        QStringLiteral(R"([+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?)")));
    return number.match(text).hasMatch();
}

QString plainNumberProblem(const QString& option, const QString& text) {
    return isPlainNumber(text)
               ? QString()
               : QStringLiteral("--%1: %2 is not a number.").arg(option, quotedArgument(text));
}

QString quotedArgument(const QString& value) {
    return QLatin1Char('\'') + printable(value) + QLatin1Char('\'');
}

int runFailure(const QString& program, const QString& problem) {
    const QString text = program + QStringLiteral(": ") + printable(problem) + QLatin1Char('\n');
    std::fputs(text.toLocal8Bit().constData(), stderr);
    return 1;
}

int usageError(const QString& program, const QString& problem) {
    runFailure(program, problem);
    std::fputs(QStringLiteral("Try '%1 --help'.\n").arg(program).toLocal8Bit().constData(), stderr);
    return 2;
}

int showText(const QString& program, const QString& text) {
    errno = 0;
    const bool written = std::fputs(text.toLocal8Bit().constData(), stdout) >= 0;
    const bool flushed = std::fflush(stdout) == 0;
    if (written && flushed && !std::ferror(stdout))
        return 0;
    const int error = errno;
    return runFailure(program, QStringLiteral("cannot write to the standard output: %1")
                                   .arg(error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                                                   : QStringLiteral("write error")));
}

} // namespace platform
