#include "tessaly/command_line/report.h"
#include "tessaly/command_line/settings.h"
#include "tessaly/fibonacci.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <tuple>

namespace tessaly::command_line {
namespace {

platform::ProgramArguments given(std::initializer_list<std::pair<const char*, const char*>> pairs) {
    platform::ProgramArguments arguments;
    for (const auto& [name, value] : pairs)
        arguments.values.insert(QString::fromLatin1(name), QString::fromLatin1(value));
    return arguments;
}

TEST(CommandLineSettings, StrictNumbersAndWholeCycles) {
    struct Row {
        platform::ProgramArguments arguments;
        std::optional<double> index; // NaN: refused; none: too large to read
        std::int64_t cycles;
        const char* problem; // a part of it; nullptr: accepted
    };
    const double refused = std::nan("");
    const Row rows[] = {
        {given({{"index", "40"}, {"cycles", "5"}}), 40, 5, nullptr},
        {given({{"index", "-5"}}), -5, 1, nullptr},
        {given({{"index", "2.5"}, {"cycles", "+3"}}), 2.5, 3, nullptr},
        {given({{"index", ".5e1"}, {"cycles", "1000000"}}), 5, 1000000, nullptr},
        {given({{"index", "1e999"}}), std::nullopt, 1, nullptr},
        {given({{"index", "40x"}}), refused, 0, "--index: '40x' is not a number."},
        {given({{"index", ""}}), refused, 0, "--index: '' is not a number."},
        {given({{"index", "0x10"}}), refused, 0, "not a number"},
        {given({{"index", " 4"}}), refused, 0, "not a number"},
        {given({{"index", "5\n"}}), refused, 0, "--index: '5\\n' is not a number."},
        {given({{"index", "4"}, {"cycles", "3\n"}}), refused, 0, "not '3\\n'"},
        {given({{"index", "4"}, {"cycles", "-3"}}), refused, 0, "from 1 to 1000000, not '-3'"},
        {given({{"index", "4"}, {"cycles", "0"}}), refused, 0, "not '0'"},
        {given({{"index", "4"}, {"cycles", "2.5"}}), refused, 0, "not '2.5'"},
        {given({{"index", "4"}, {"cycles", "1000001"}}), refused, 0, "not '1000001'"},
        {given({{"index", "4"}, {"cycles", "99999999999999999999"}}), refused, 0, "not '9"},
        {given({{"cycles", "3"}}), refused, 0, "give --index NUMBER"},
        {given({{"json", ""}}), refused, 0, "give --index NUMBER"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.values.value(QStringLiteral("index")).toStdString() + " / " +
                     row.arguments.values.value(QStringLiteral("cycles")).toStdString());
        QString problem;
        const std::optional<Settings> settings = readSettings(row.arguments, problem);
        if (row.problem) {
            EXPECT_FALSE(settings);
            EXPECT_TRUE(problem.contains(QString::fromLatin1(row.problem)))
                << problem.toStdString();
            continue;
        }
        ASSERT_TRUE(settings) << problem.toStdString();
        EXPECT_EQ(settings->index, row.index);
        EXPECT_EQ(settings->cycles, row.cycles);
    }
    // The warm-up, and the runs to compare with.
    const std::tuple<platform::ProgramArguments, const char*> more[] = {
        {given({{"index", "4"}, {"warmup", "0"}}), nullptr},
        {given({{"index", "4"}, {"warmup", "1000000"}, {"compare", "a.json"}}), nullptr},
        {given({{"saved", "b.json"}, {"compare", "a.json"}, {"json", ""}}), nullptr},
        {given({{"index", "4"}, {"warmup", "-1"}}), "from 0 to 1000000, not '-1'"},
        {given({{"index", "4"}, {"warmup", "1000001"}}), "--warmup: the number of warm-up"},
        {given({{"index", "4"}, {"warmup", "x"}}), "not 'x'"},
        {given({{"index", "4"}, {"compare", ""}}), "--compare: give the file of a saved run."},
        {given({{"saved", ""}}), "--saved: give the file of a saved run."},
        {given({{"saved", "b.json"}, {"index", "4"}}), "runs nothing, and takes no --index."},
        {given({{"saved", "b.json"}, {"warmup", "1"}}), "takes no --warmup."},
        {given({{"compare", "a.json"}}), "give --index NUMBER"},
    };
    for (const auto& [arguments, words] : more) {
        QString problem;
        const std::optional<Settings> settings = readSettings(arguments, problem);
        EXPECT_EQ(settings.has_value(), words == nullptr) << problem.toStdString();
        if (words) {
            EXPECT_TRUE(problem.contains(QString::fromLatin1(words))) << problem.toStdString();
        }
    }
    QString problem;
    const auto switches =
        readSettings(given({{"index", "3"}, {"json", ""}, {"no-progress", ""}}), problem);
    ASSERT_TRUE(switches);
    EXPECT_TRUE(switches->json);
    EXPECT_FALSE(switches->progress);
    const auto compared =
        readSettings(given({{"index", "3"}, {"warmup", "+7"}, {"compare", "a b.json"}}), problem);
    ASSERT_TRUE(compared);
    EXPECT_EQ(compared->warmup, 7);
    EXPECT_EQ(compared->compare, QStringLiteral("a b.json"));
    EXPECT_TRUE(compared->saved.isEmpty());
}

TEST(CommandLineReport, Statistics) {
    struct Row {
        std::vector<double> seconds;
        double mean, deviation, min, max;
    };
    const Row rows[] = {
        {{0.5}, 0.5, 0, 0.5, 0.5},
        {{1, 3}, 2, std::sqrt(2.0), 1, 3},
        {{2, 4, 4, 4, 5, 5, 7, 9}, 5, std::sqrt(32.0 / 7), 2, 9},
    };
    for (const Row& row : rows) {
        const std::optional<Statistics> s = statistics(row.seconds);
        ASSERT_TRUE(s);
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

// The count of calls to the last digit, in the text and in the JSON, as an integer: neither
// rounded through a double nor written with an exponent or as a string.
TEST(CommandLineReport, CountsAreExactIntegers) {
    const std::pair<double, const char*> rows[] = {
        {40, "165580140"},
        {80, "37889062373143905"},
        {92, "12200160415121876737"},
    };
    for (const auto& [index, calls] : rows) {
        const Outcome run{.index = index,
                          .indexText = QString::number(index),
                          .callsPerCycle = *countedCalls(index),
                          .seconds = {1},
                          .result = 1};
        EXPECT_TRUE(summaryText(run).contains(
            QStringLiteral(": 1 (%1 counted calls a cycle)\n").arg(QString::fromLatin1(calls))))
            << summaryText(run).toStdString();
        const QByteArray json = jsonReport(run, {}, {});
        EXPECT_TRUE(json.contains("\"counted_calls_per_cycle\": " + QByteArray(calls) + ",\n"))
            << json.toStdString();
        EXPECT_FALSE(QJsonDocument::fromJson(json).isNull());
    }
}

TEST(CommandLineReport, JsonHoldsTheInputsEveryCycleAndNumbersInFull) {
    const Outcome run{.index = 92,
                      .indexText = QStringLiteral("92"),
                      .cycles = 3,
                      .callsPerCycle = *countedCalls(92),
                      .seconds = {0.25, 0.75},
                      .result = 7540113804746346429,
                      .cancelled = true};
    const QJsonDocument document = QJsonDocument::fromJson(
        jsonReport(run, QStringLiteral("1.00"), QStringLiteral("Some CPU")));
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
