#include "tessaly/command_line/settings.h"

#include "platform/core/command_line.h"
#include "platform/core/errors.h"
#include "platform/core/text.h"
#include "tessaly/command_line/plot.h"
#include "tessaly/command_line/statistics.h"

#include <QRegularExpression>

namespace tessaly::command_line {
namespace {

const QString indexName = QStringLiteral("index");
const QString cyclesName = QStringLiteral("cycles");
const QString jsonName = QStringLiteral("json");
const QString noProgressName = QStringLiteral("no-progress");
const QString warmupName = QStringLiteral("warmup");
const QString compareName = QStringLiteral("compare");
const QString savedName = QStringLiteral("saved");
const QString plotName = QStringLiteral("plot");
const QString exportCsvName = QStringLiteral("export-csv");
const QString exportMarkdownName = QStringLiteral("export-markdown");

// A decimal number and nothing else: the window is lenient with what follows a number, a command
// line is not. Negative and fractional indices follow the window's rules.
bool readIndex(const QString& text, Settings& settings, QString& problem) {
    problem = platform::plainNumberProblem(indexName, text);
    if (!problem.isEmpty())
        return false;
    settings.indexText = text;
    settings.index = platform::readableNumber(text);
    return true;
}

// A whole number of cycles from least to mostCycles, for the option that counts what.
bool readCount(const QString& text, std::int64_t least, const QString& option, const char* what,
               std::int64_t& count, QString& problem) {
    static const QRegularExpression whole(
        QRegularExpression::anchoredPattern(QStringLiteral(R"(\+?[0-9]+)")));
    bool read = false;
    const qlonglong value = whole.match(text).hasMatch() ? text.toLongLong(&read) : 0;
    if (!read || value < least || value > mostCycles) {
        problem = QStringLiteral("--%1: the number of %2 is a whole number from %3 to %4, not %5.")
                      .arg(option, QString::fromLatin1(what))
                      .arg(least)
                      .arg(mostCycles)
                      .arg(platform::quotedArgument(text));
        return false;
    }
    count = value;
    return true;
}

// A saved run is compared as it is: nothing of a run can be asked of it.
bool readSaved(const platform::ProgramArguments& arguments, Settings& settings, QString& problem) {
    for (const QString& name : {indexName, cyclesName, warmupName, noProgressName})
        if (arguments.isSet(name)) {
            problem = QStringLiteral("--saved takes the run from its file: it runs nothing, and "
                                     "takes no --%1.")
                          .arg(name);
            return false;
        }
    settings.saved = arguments.value(savedName);
    return true;
}

bool readScan(const QString& text, Settings& settings, QString& problem) {
    settings.range = readRange(text, problem);
    if (!settings.range)
        return false;
    settings.indexText = text;
    settings.index = settings.range->first;
    return true;
}

// The names of the files to write: given, each of its own, and a picture in a format there is.
bool readFileNames(const platform::ProgramArguments& arguments, Settings& settings,
                   QString& problem) {
    const std::pair<const QString&, QString&> files[] = {
        {plotName, settings.plot},
        {exportCsvName, settings.exportCsv},
        {exportMarkdownName, settings.exportMarkdown}};
    QMap<QString, QString> taken;
    for (const auto& [option, name] : files) {
        if (!arguments.isSet(option))
            continue;
        name = arguments.value(option);
        if (name.isEmpty()) {
            problem = QStringLiteral("--%1: give the name of a file.").arg(option);
            return false;
        }
        if (taken.contains(name)) {
            problem = QStringLiteral("--%1 and --%2 name the same file, %3: give each its own.")
                          .arg(taken.value(name), option, platform::quotedArgument(name));
            return false;
        }
        taken.insert(name, option);
    }
    if (!settings.plot.isEmpty() && !plotFormat(settings.plot)) {
        problem = QStringLiteral("--plot: the picture is SVG or PNG, named so (.svg or .png), "
                                 "not %1.")
                      .arg(platform::quotedArgument(settings.plot));
        return false;
    }
    return true;
}

} // namespace

std::vector<platform::ProgramOption> options() {
    return {
        {indexName, QStringLiteral("number"),
         QStringLiteral("Compute the Fibonacci number of <number> without a window, and time it. "
                        "A fraction or a sign is taken as the window takes it. A range such as "
                        "20..32 times every whole index from the first to the last, and fits how "
                        "the seconds grow from one index to the next.")},
        {cyclesName, QStringLiteral("count"),
         QStringLiteral("Compute it <count> times, a whole number from 1 to %1 (default 1).")
             .arg(mostCycles)},
        {jsonName, QString(),
         QStringLiteral("Print the inputs, the result, every cycle's seconds and their "
                        "statistics as JSON.")},
        {noProgressName, QString(),
         QStringLiteral("Show no progress line on a terminal's standard error.")},
        {warmupName, QStringLiteral("count"),
         QStringLiteral("Run <count> cycles first and leave them out of every figure, a whole "
                        "number from 0 to %1 (default 0). A warning says when the cycles "
                        "scatter so that their mean misleads: a standard deviation above %2% of "
                        "the mean, or a cycle %3 interquartile ranges beyond the quartiles and "
                        "%2% away from the median.")
             .arg(mostCycles)
             .arg(widestRelativeSpread * 100)
             .arg(outlierFence)},
        {compareName, QStringLiteral("file"),
         QStringLiteral("Compare the run with the one saved in <file> by --json, of the same "
                        "index: how many times faster, and whether the difference is "
                        "significant (Welch's t-test, p below %1). For example, after "
                        "'tessaly --index 40 --cycles 10 --json >before.json', 'tessaly --index "
                        "40 --cycles 10 --compare before.json' prints the run's figures, then "
                        "both runs side by side, and ends with:\n"
                        "this run is 1.10 \u00b1 0.08 times faster than before.json\n"
                        "no significant difference: Welch's t-test gives p = 0.2 (t = -1.34 "
                        "with 13 degrees of freedom), not below 0.05")
             .arg(significanceLevel)},
        {savedName, QStringLiteral("file"),
         QStringLiteral("Take the run saved in <file> by --json instead of running one; with "
                        "--compare, compare two saved runs.")},
        {plotName, QStringLiteral("file"),
         QStringLiteral("Draw the seconds per cycle into <file>, an SVG or PNG picture of 800 x "
                        "500 pixels: against the index on a logarithmic axis for a range, every "
                        "cycle's for one index. For example, tessaly --index 20..34 --cycles 3 "
                        "--plot scan.svg draws a dot for each index's mean, a bar from its "
                        "fastest to its slowest cycle, and the fitted line through them.")},
        {exportCsvName, QStringLiteral("file"),
         QStringLiteral("Write the figures to <file> as CSV for a spreadsheet: a row per cycle, "
                        "or per index for a range.")},
        {exportMarkdownName, QStringLiteral("file"),
         QStringLiteral("Write the same rows to <file> as a Markdown table.")},
    };
}

std::optional<Settings> readSettings(const platform::ProgramArguments& arguments,
                                     QString& problem) {
    Settings settings;
    settings.json = arguments.isSet(jsonName);
    settings.compare = arguments.value(compareName);
    if (arguments.isSet(compareName) && settings.compare.isEmpty()) {
        problem = QStringLiteral("--compare: give the file of a saved run.");
        return std::nullopt;
    }
    if (arguments.isSet(savedName)) {
        if (arguments.value(savedName).isEmpty()) {
            problem = QStringLiteral("--saved: give the file of a saved run.");
            return std::nullopt;
        }
        if (!readSaved(arguments, settings, problem) ||
            !readFileNames(arguments, settings, problem))
            return std::nullopt;
        return settings;
    }
    if (!arguments.isSet(indexName)) {
        problem = QStringLiteral("say which Fibonacci number to compute: give --index NUMBER.");
        return std::nullopt;
    }
    const QString indexText = arguments.value(indexName);
    if (!(isRange(indexText) ? readScan(indexText, settings, problem)
                             : readIndex(indexText, settings, problem)))
        return std::nullopt;
    if (arguments.isSet(cyclesName) &&
        !readCount(arguments.value(cyclesName), 1, cyclesName, "cycles", settings.cycles, problem))
        return std::nullopt;
    if (arguments.isSet(warmupName) && !readCount(arguments.value(warmupName), 0, warmupName,
                                                  "warm-up cycles", settings.warmup, problem))
        return std::nullopt;
    settings.progress = !arguments.isSet(noProgressName);
    if (settings.range && settings.json) {
        problem = QStringLiteral("--json prints the run of one index; a range's rows go to "
                                 "--export-csv or --export-markdown.");
        return std::nullopt;
    }
    if (settings.range && !settings.compare.isEmpty()) {
        problem = QStringLiteral("--compare compares the run of one index; a range's rows go to "
                                 "--export-csv or --export-markdown.");
        return std::nullopt;
    }
    if (!readFileNames(arguments, settings, problem))
        return std::nullopt;
    return settings;
}

} // namespace tessaly::command_line
