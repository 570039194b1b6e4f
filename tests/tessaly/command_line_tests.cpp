#include "tessaly/command_line/report.h"
#include "tessaly/command_line/settings.h"
#include "tessaly/fibonacci.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace tessaly::command_line {
namespace {

// The settings of a command line, read as the program reads its own.
std::optional<Settings> settingsOf(const QStringList& arguments, QString& problem) {
    const platform::CommandLine read = platform::readCommandLine(
        QStringList{QStringLiteral("tessaly")} + arguments, {}, options());
    if (read.action != platform::CommandLine::Action::ProgramMode) {
        problem = read.text;
        return std::nullopt;
    }
    return readSettings(read.programArguments, problem);
}

// What settings ask for, in the words of the table below.
QString described(const Settings& settings) {
    QStringList words = {settings.index ? QStringLiteral("index %1").arg(*settings.index)
                                        : QStringLiteral("index too large to read"),
                         QStringLiteral("cycles %1").arg(settings.cycles)};
    const std::pair<const char*, QString> named[] = {
        {"warmup", settings.warmup ? QString::number(settings.warmup) : QString()},
        {"range",
         settings.range
             ? QStringLiteral("%1..%2").arg(settings.range->first).arg(settings.range->last)
             : QString()},
        {"compare", settings.compare},
        {"saved", settings.saved},
        {"plot", settings.plot},
        {"csv", settings.exportCsv},
        {"markdown", settings.exportMarkdown},
    };
    for (const auto& [name, value] : named)
        if (!value.isEmpty())
            words << QString::fromLatin1(name) + u' ' + value;
    if (settings.json)
        words << QStringLiteral("json");
    if (!settings.progress)
        words << QStringLiteral("no progress");
    return words.join(QStringLiteral(", "));
}

// Strict numbers, whole cycles, ranges and the files to write.
TEST(CommandLineSettings, WhatTheOptionsAskFor) {
    struct Row {
        QStringList arguments;
        const char* settings;          // as described; nullptr: refused
        const char* problem = nullptr; // a part of it
    };
    const Row rows[] = {
        {{"--index", "40", "--cycles", "5"}, "index 40, cycles 5"},
        {{"--index", "-5"}, "index -5, cycles 1"},
        {{"--index", "2.5", "--cycles", "+3"}, "index 2.5, cycles 3"},
        {{"--index", ".5e1", "--cycles", "1000000"}, "index 5, cycles 1000000"},
        {{"--index", "1e999"}, "index too large to read, cycles 1"},
        {{"--index", "40x"}, nullptr, "--index: '40x' is not a number."},
        {{"--index", ""}, nullptr, "--index: '' is not a number."},
        {{"--index", "5\n"}, nullptr, "--index: '5\\n' is not a number."},
        {{"--index", "4", "--cycles", "3\n"}, nullptr, "not '3\\n'"},
        {{"--index", "4", "--cycles", "-3"}, nullptr, "from 1 to 1000000, not '-3'"},
        {{"--index", "4", "--cycles", "0"}, nullptr, "not '0'"},
        {{"--index", "4", "--cycles", "2.5"}, nullptr, "not '2.5'"},
        {{"--index", "4", "--cycles", "1000001"}, nullptr, "not '1000001'"},
        {{"--index", "4", "--cycles", "99999999999999999999"}, nullptr, "not '9"},
        {{"--cycles", "3"}, nullptr, "give --index NUMBER"},
        {{"--json"}, nullptr, "give --index NUMBER"},
        {{"--index", "3", "--json", "--no-progress"}, "index 3, cycles 1, json, no progress"},
        // The warm-up, and the runs to compare with.
        {{"--index", "4", "--warmup", "0"}, "index 4, cycles 1"},
        {{"--index", "3", "--warmup", "+7", "--compare", "a b.json"},
         "index 3, cycles 1, warmup 7, compare a b.json"},
        {{"--index", "4", "--warmup", "1000000", "--compare", "a.json"},
         "index 4, cycles 1, warmup 1000000, compare a.json"},
        {{"--saved", "b.json", "--compare", "a.json", "--json"},
         "index too large to read, cycles 1, compare a.json, saved b.json, json"},
        {{"--index", "4", "--warmup", "-1"}, nullptr, "from 0 to 1000000, not '-1'"},
        {{"--index", "4", "--warmup", "1000001"}, nullptr, "--warmup: the number of warm-up"},
        {{"--index", "4", "--warmup", "x"}, nullptr, "not 'x'"},
        {{"--index", "4", "--compare", ""}, nullptr, "--compare: give the file of a saved run."},
        {{"--saved", ""}, nullptr, "--saved: give the file of a saved run."},
        {{"--saved", "b.json", "--index", "4"}, nullptr, "runs nothing, and takes no --index."},
        {{"--saved", "b.json", "--warmup", "1"}, nullptr, "takes no --warmup."},
        {{"--compare", "a.json"}, nullptr, "give --index NUMBER"},
        // Scans of a range, and their files.
        {{"--index", "20..32", "--cycles", "3"}, "index 20, cycles 3, range 20..32"},
        {{"--index=0..92", "--plot", "a.SVG", "--export-csv", "a.csv"},
         "index 0, cycles 1, range 0..92, plot a.SVG, csv a.csv"},
        {{"--index", "91..92", "--export-markdown", "a.md"},
         "index 91, cycles 1, range 91..92, markdown a.md"},
        {{"--index", "32..20"}, nullptr, "up from a smaller index to a larger one, not '32..20'"},
        {{"--index", "20..20"}, nullptr, "(for one index give --index 20)"},
        {{"--index", "20..93"}, nullptr, "the largest index it can compute is 92; not '20..93'"},
        {{"--index", "-3..5"}, nullptr, "whole indices from 0"},
        {{"--index", "2.5..8"}, nullptr, "whole indices from 0"},
        {{"--index", "5..1e1"}, nullptr, "whole indices from 0"},
        {{"--index", "99999999999..5"}, nullptr, "whole indices from 0"},
        {{"--index", "20.."}, nullptr, "'20..' is neither a number nor a range"},
        {{"--index", "..20"}, nullptr, "neither a number nor a range"},
        {{"--index", "a..b"}, nullptr, "neither a number nor a range"},
        {{"--index", "20..32", "--json"}, nullptr, "--json prints the run of one index"},
        {{"--index", "20", "--plot", "a.jpg"}, nullptr, "SVG or PNG, named so"},
        {{"--index", "20", "--plot="}, nullptr, "--plot: give the name of a file."},
        {{"--index", "20", "--export-csv", "a", "--export-markdown", "a"},
         nullptr,
         "--export-csv and --export-markdown name the same file, 'a'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString());
        QString problem;
        const std::optional<Settings> settings = settingsOf(row.arguments, problem);
        if (row.settings) {
            ASSERT_TRUE(settings) << problem.toStdString();
            EXPECT_EQ(described(*settings).toStdString(), row.settings);
        } else {
            EXPECT_FALSE(settings);
            EXPECT_TRUE(problem.contains(QString::fromLatin1(row.problem)))
                << problem.toStdString();
        }
    }
}

TEST(CommandLineReport, Statistics) {
    struct Row {
        std::vector<double> seconds;
        double mean, deviation, min, max, median;
    };
    const Row rows[] = {
        {{0.5}, 0.5, 0, 0.5, 0.5, 0.5},
        {{1, 3}, 2, std::sqrt(2.0), 1, 3, 2},
        {{2, 4, 4, 4, 5, 5, 7, 9}, 5, std::sqrt(32.0 / 7), 2, 9, 4.5},
        {{3, 1, 2}, 2, 1, 1, 3, 2},
        {{1, 1, 100}, 34, std::sqrt(3267.0), 1, 100, 1},
        {{0.2, 0.9, 0.1, 0.4, 0.3, 0.5}, 0.4, std::sqrt(0.08), 0.1, 0.9, 0.35},
    };
    for (const Row& row : rows) {
        const std::optional<Statistics> s = statistics(row.seconds);
        ASSERT_TRUE(s);
        EXPECT_DOUBLE_EQ(s->median, row.median);
        EXPECT_DOUBLE_EQ(s->mean, row.mean);
        EXPECT_DOUBLE_EQ(s->standardDeviation, row.deviation);
        EXPECT_EQ(s->min, row.min);
        EXPECT_EQ(s->max, row.max);
    }
    EXPECT_FALSE(statistics({}));
}

// The calls known before a run are those the recursion then counts.
TEST(CommandLineReport, CountedCallsAreKnownBeforehand) {
    const std::int16_t cancel = 0;
    for (const double n : {-5.0, 0.0, 1.0, 1.5, 2.0, 2.5, 3.0, 10.0, 20.0, 24.75, 25.0}) {
        SCOPED_TRACE(n);
        CallCount count;
        countedFibonacci(n, cancel, count, [] {});
        EXPECT_EQ(countedCalls(n), static_cast<std::uint64_t>(count));
    }
    // Exact to the last digit where a double is not, up to F(93) - 1, past 64 signed bits.
    const std::pair<double, std::optional<std::uint64_t>> large[] = {
        {53, 86267571271},
        {79.5, 37889062373143905},
        {80, 37889062373143905},
        {90.25, 7540113804746346428},
        {91.5, 12200160415121876737u},
        {92, 12200160415121876737u},
        {92.5, std::nullopt},
        {93, std::nullopt},
        {1e300, std::nullopt},
        {INFINITY, std::nullopt},
        {NAN, 0},
    };
    for (const auto& [n, calls] : large)
        EXPECT_EQ(countedCalls(n), calls) << n;
}

TEST(CommandLineReport, TextOfARunAndOfACancelledOne) {
    Outcome run{.index = 10,
                .indexText = QStringLiteral("10"),
                .cycles = 2,
                .callsPerCycle = 88,
                .seconds = {1, 3},
                .result = 55};
    EXPECT_EQ(summaryText(run),
              QStringLiteral("Fibonacci number of index 10: 55 (88 counted calls a cycle)\n"
                             "seconds per cycle, mean \u00b1 standard deviation of 2 cycles: 2 "
                             "\u00b1 1.41421\nseconds per cycle, min and max: 1 and 3\n"
                             "seconds per cycle, median: 2\n"
                             "cost per counted call: 2.273e+07 ns, 4.4e-05 million calls a second\n"
                             "warning: the mean may mislead, the standard deviation is 71% of the "
                             "mean; try an idle machine, more cycles or --warmup\n"));
    run.warmup = 1;
    run.seconds = {2, 2};
    EXPECT_TRUE(summaryText(run).endsWith(
        QStringLiteral("seconds per cycle, median: 2\n"
                       "cost per counted call: 2.273e+07 ns, 4.4e-05 million calls a second\n"
                       "after 1 warm-up cycle left out of these figures\n")))
        << summaryText(run).toStdString();
    run.callsPerCycle = 0;
    EXPECT_TRUE(summaryText(run).contains(QStringLiteral(
        "cost per counted call: none, a cycle of this index makes no counted call\n")));
    run.warmup = 0;
    run.callsPerCycle = 88;
    EXPECT_EQ(cycleLine(2, 5, 0.1234567), QStringLiteral("cycle 2 of 5: 0.123457 s\n"));
    run.cancelled = true;
    run.seconds = {1};
    EXPECT_TRUE(summaryText(run).startsWith(QStringLiteral("cancelled after 1 of 2 cycles\n")));
    run.seconds.clear();
    run.result.reset();
    EXPECT_EQ(summaryText(run), QStringLiteral("cancelled after 0 of 2 cycles\n"
                                               "no cycle finished: no result\n"));
}

TEST(CommandLineReport, JsonHoldsTheInputsEveryCycleAndNumbersInFull) {
    const Outcome run{.index = 92,
                      .indexText = QStringLiteral("92"),
                      .cycles = 3,
                      .callsPerCycle = *countedCalls(92),
                      .seconds = {0.25, 0.75},
                      .result = 7540113804746346429,
                      .cancelled = true};
    const QByteArray json = jsonReport(run, QStringLiteral("1.00"), QStringLiteral("Some CPU"));
    // The count of calls to the last digit, in the text and in the JSON, as an integer: neither
    // rounded through a double nor written with an exponent or as a string.
    EXPECT_TRUE(json.contains("\"counted_calls_per_cycle\": 12200160415121876737,\n"))
        << json.toStdString();
    EXPECT_TRUE(summaryText(run).contains(
        QStringLiteral(": 7540113804746346429 (12200160415121876737 counted calls a cycle)\n")))
        << summaryText(run).toStdString();
    const QJsonDocument document = QJsonDocument::fromJson(json);
    ASSERT_TRUE(document.isObject());
    const QJsonObject o = document.object();
    EXPECT_EQ(o.value(QStringLiteral("version")).toString(), QStringLiteral("1.00"));
    EXPECT_EQ(o.value(QStringLiteral("processor")).toString(), QStringLiteral("Some CPU"));
    EXPECT_EQ(o.value(QStringLiteral("index")).toDouble(), 92);
    EXPECT_EQ(o.value(QStringLiteral("cycles")).toInteger(), 3);
    EXPECT_EQ(o.value(QStringLiteral("cycles_done")).toInteger(), 2);
    EXPECT_EQ(o.value(QStringLiteral("result")).toInteger(), 7540113804746346429);
    EXPECT_TRUE(o.value(QStringLiteral("cancelled")).toBool());
    EXPECT_EQ(o.value(QStringLiteral("seconds")).toArray(), (QJsonArray{0.25, 0.75}));
    const QJsonObject s = o.value(QStringLiteral("statistics")).toObject();
    EXPECT_EQ(s.value(QStringLiteral("mean")).toDouble(), 0.5);
    EXPECT_EQ(s.value(QStringLiteral("min")).toDouble(), 0.25);
    EXPECT_EQ(s.value(QStringLiteral("max")).toDouble(), 0.75);
    EXPECT_GT(s.value(QStringLiteral("standard_deviation")).toDouble(), 0);
    const Outcome small{.index = 40, .callsPerCycle = *countedCalls(40)};
    const QJsonObject none = QJsonDocument::fromJson(jsonReport(small, {}, {})).object();
    EXPECT_TRUE(none.value(QStringLiteral("result")).isNull());
    EXPECT_TRUE(none.value(QStringLiteral("statistics")).isNull());
}

TEST(CommandLineProgress, Texts) {
    const std::pair<double, const char*> durations[] = {
        {0, "0.0 s"},
        {4.24, "4.2 s"},
        {59.9, "59.9 s"},
        {59.97, "1 min 00 s"},
        {185, "3 min 05 s"},
        {7620, "2 h 07 min"},
        {-1, "?"},
        {INFINITY, "?"},
        {86400, "24 h 00 min"},
        {86401, "more than a day"},
        {1e15, "more than a day"},
        {1e300, "more than a day"},
    };
    for (const auto& [seconds, text] : durations)
        EXPECT_EQ(durationText(seconds), QString::fromLatin1(text)) << seconds;
    EXPECT_EQ(progressText(2, 5, 1.5, 3),
              QStringLiteral("cycle 2 of 5, 1.5 s elapsed, 3.0 s left"));
    EXPECT_EQ(progressText(1, 5, 0.2, std::nullopt), QStringLiteral("cycle 1 of 5, 0.2 s elapsed"));
}

TEST(CommandLineProgress, LinesFitTheTerminal) {
    const QString text = QStringLiteral("cycle 1 of 3, 0.2 s elapsed");
    const std::pair<int, const char*> rows[] = {
        {80, "cycle 1 of 3, 0.2 s elapsed"},
        {28, "cycle 1 of 3, 0.2 s elapsed"},
        {27, "cycle 1 of 3, 0.2 s elapse"},
        {20, "cycle 1 of 3, 0.2 s"},
        {1, ""},
        {0, "cycle 1 of 3, 0.2 s elapsed"}, // width unknown
    };
    for (const auto& [columns, fitted] : rows)
        EXPECT_EQ(fittedLine(text, columns), QString::fromLatin1(fitted)) << columns;
}

} // namespace
} // namespace tessaly::command_line
