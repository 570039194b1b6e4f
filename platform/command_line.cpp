#include "command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace platform {
namespace {

// Qt takes these out of the arguments when the application is created. They are declared here
// only so that the parser lets them through; Qt still acts on them.
struct QtOption {
    const char* name;
    const char* valueName; // nullptr: a switch without a value
    const char* description;
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
    {"style", "style", "Widget style."},
    {"stylesheet", "file", "Style sheet to apply."},
    {"qmljsdebugger", "port", "QML debugger settings."},
    {"reverse", nullptr, "Lay the windows out right to left."},
    {"widgetcount", nullptr, "Report the widgets left at the end."},
};

void declareOptions(QCommandLineParser& parser, const QString& description, bool showQtOptions) {
    // Qt's own options are single-dash words (-platform xcb), so no option is a bundle of letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    parser.addVersionOption();
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

QString helpText(const QCommandLineParser& parser, const QString& program) {
    // The parser's usage line names the program only once an application object exists, and
    // then by its full path: the line is written here instead.
    const QString text = parser.helpText();
    return QStringLiteral("Usage: %1 [options]").arg(program) + text.mid(text.indexOf(u'\n'));
}

} // namespace

QString printable(const QString& text) {
    QString result;
    for (const char32_t c : text.toUcs4()) {
        switch (c) {
        case 0x07:
            result += QStringLiteral("\\a");
            break;
        case 0x08:
            result += QStringLiteral("\\b");
            break;
        case 0x09:
            result += QStringLiteral("\\t");
            break;
        case 0x0a:
            result += QStringLiteral("\\n");
            break;
        case 0x0d:
            result += QStringLiteral("\\r");
            break;
        case 0x1b:
            result += QStringLiteral("\\e");
            break;
        default:
            if (QChar::isPrint(c))
                result += QString::fromUcs4(&c, 1);
            else if (c < 0x100)
                result += QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
            else
                result += QStringLiteral("\\u{%1}").arg(uint(c), 4, 16, QLatin1Char('0'));
        }
    }
    return result;
}

QString programName(const QStringList& arguments, const QString& fallback) {
    const QString name = QFileInfo(arguments.value(0)).fileName();
    return name.isEmpty() ? fallback : printable(name);
}

CommandLine readCommandLine(const QStringList& arguments, const QString& description) {
    const QString program = programName(arguments, QCoreApplication::applicationName().toLower());
    QCommandLineParser parser;
    declareOptions(parser, description, false);

    CommandLine result;
    const bool parsed = parser.parse(arguments);
    if (!parsed || !parser.positionalArguments().isEmpty()) {
        const QString error = printable(parsed ? QStringLiteral("Unexpected argument '%1'.")
                                                     .arg(parser.positionalArguments().constFirst())
                                               : parser.errorText());
        result.action = CommandLine::Action::UsageError;
        result.text = program + QStringLiteral(": ") + error + QStringLiteral("\n\n") +
                      helpText(parser, program);
        result.exitStatus = 2;
    } else if (parser.isSet(QStringLiteral("help-all"))) {
        QCommandLineParser all;
        declareOptions(all, description, true);
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
    }
    return result;
}

} // namespace platform
