#include "tessaly/command_line/settings.h"

#include "platform/core/command_line.h"
#include "platform/core/errors.h"
#include "platform/core/text.h"

#include <QRegularExpression>

namespace tessaly::command_line {
namespace {

const QString indexName = QStringLiteral("index");
const QString cyclesName = QStringLiteral("cycles");
const QString jsonName = QStringLiteral("json");
const QString noProgressName = QStringLiteral("no-progress");

// A decimal number and nothing else: the window is lenient with what follows a number, a command
// line is not. Negative and fractional indices follow the window's rules.
bool readIndex(const QString& text, Settings& settings, QString& problem) {
    if (!platform::isPlainNumber(text)) {
        problem =
            QStringLiteral("--index: %1 is not a number.").arg(platform::quotedArgument(text));
        return false;
    }
    settings.indexText = text;
    settings.index = platform::readableNumber(text);
    return true;
}

bool readCycles(const QString& text, Settings& settings, QString& problem) {
    static const QRegularExpression whole(
        QRegularExpression::anchoredPattern(QStringLiteral(R"(\+?[0-9]+)")));
    bool read = false;
    const qlonglong cycles = whole.match(text).hasMatch() ? text.toLongLong(&read) : 0;
    if (!read || cycles < 1 || cycles > mostCycles) {
        problem = QStringLiteral("--cycles: the number of cycles is a whole number from 1 to %1, "
                                 "not %2.")
                      .arg(mostCycles)
                      .arg(platform::quotedArgument(text));
        return false;
    }
    settings.cycles = cycles;
    return true;
}

} // namespace

std::vector<platform::ProgramOption> options() {
    return {
        {indexName, QStringLiteral("number"),
         QStringLiteral("Compute the Fibonacci number of <number> without a window, and time it. "
                        "A fraction or a sign is taken as the window takes it.")},
        {cyclesName, QStringLiteral("count"),
         QStringLiteral("Compute it <count> times, a whole number from 1 to 1000000 (default "
                        "1).")},
        {jsonName, QString(),
         QStringLiteral("Print the inputs, the result, every cycle's seconds and their "
                        "statistics as JSON.")},
        {noProgressName, QString(),
         QStringLiteral("Show no progress line on a terminal's standard error.")},
    };
}

std::optional<Settings> readSettings(const platform::ProgramArguments& arguments,
                                     QString& problem) {
    Settings settings;
    if (!arguments.isSet(indexName)) {
        problem = QStringLiteral("say which Fibonacci number to compute: give --index NUMBER.");
        return std::nullopt;
    }
    if (!readIndex(arguments.value(indexName), settings, problem))
        return std::nullopt;
    if (arguments.isSet(cyclesName) && !readCycles(arguments.value(cyclesName), settings, problem))
        return std::nullopt;
    settings.json = arguments.isSet(jsonName);
    settings.progress = !arguments.isSet(noProgressName);
    return settings;
}

} // namespace tessaly::command_line
