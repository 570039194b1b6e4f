#include "tessaly/command_line/compare.h"
#include "tessaly/command_line/statistics.h"
#include "tessaly/fibonacci.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>

namespace tessaly::command_line {
namespace {

// The p-values of the critical values that tables of Student's t distribution print.
TEST(Statistics, TwoSidedPOfTabledCriticalValues) {
    struct Row {
        double t, degreesOfFreedom, p;
    };
    const Row rows[] = {
        {12.706, 1, 0.05},  {2.776, 4, 0.05},  {2.228, 10, 0.05}, {3.169, 10, 0.01},
        {-2.086, 20, 0.05}, {1.725, 20, 0.10}, {2.042, 30, 0.05}, {1.960, 1e7, 0.05},
        {0, 5, 1},          {INFINITY, 3, 0},  {NAN, 3, 1},       {2, 0, 1},
    };
    for (const Row& row : rows)
        EXPECT_NEAR(twoSidedP(row.t, row.degreesOfFreedom), row.p, 1e-4)
            << row.t << " with " << row.degreesOfFreedom;
}

// The worked examples of Welch's test as they are published, to their printed digits.
TEST(Statistics, WelchTestOfPublishedExamples) {
    struct Row {
        std::vector<double> first, second;
        double t, degreesOfFreedom, p;
    };
    const Row rows[] = {
        {{27.5, 21.0, 19.0, 23.6, 17.0, 17.9, 16.9, 20.1, 21.9, 22.6, 23.1, 19.6, 19.0, 21.7, 21.4},
         {27.1, 22.0, 20.8, 23.4, 23.4, 23.5, 25.8, 22.0, 24.8, 20.2, 21.9, 22.1, 22.9, 20.5, 24.4},
         -2.46,
         25.0,
         0.021},
        {{17.2, 20.9, 22.6, 18.1, 21.7, 21.4, 23.5, 24.2, 14.7, 21.8},
         {21.5, 22.8, 21.0, 23.0, 21.6, 23.6, 22.5, 20.7, 23.4, 21.8,
          20.7, 21.7, 21.5, 22.5, 23.6, 21.5, 22.5, 23.5, 21.5, 21.8},
         -1.57,
         9.9,
         0.149},
        {{19.8, 20.4, 19.6, 17.8, 18.5, 18.9, 18.3, 18.9, 19.5, 22.0},
         {28.2, 26.6, 20.1, 23.3, 25.2, 22.1, 17.7, 27.6, 20.6, 13.7,
          23.2, 17.5, 20.6, 18.0, 23.9, 21.6, 24.3, 20.4, 23.9, 13.3},
         -2.22,
         24.5,
         0.036},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.t);
        const WelchOutcome outcome = welchTest(row.first, row.second);
        ASSERT_TRUE(outcome.test);
        EXPECT_NEAR(outcome.test->t, row.t, 0.01);
        EXPECT_NEAR(outcome.test->degreesOfFreedom, row.degreesOfFreedom, 0.05);
        EXPECT_NEAR(outcome.test->p, row.p, 0.001);
        EXPECT_EQ(outcome.test->significant(), row.p < 0.05);
        // The other way round: the sign of t turns, nothing else.
        const WelchOutcome turned = welchTest(row.second, row.first);
        EXPECT_DOUBLE_EQ(turned.test->t, -outcome.test->t);
        EXPECT_DOUBLE_EQ(turned.test->p, outcome.test->p);
    }
    const std::tuple<std::vector<double>, std::vector<double>, NoTest> untestable[] = {
        {{1}, {1, 2, 3}, NoTest::TooFewCycles},
        {{1, 2, 3}, {}, NoTest::TooFewCycles},
        {{1, 1}, {2, 2, 2}, NoTest::NoSpread},
    };
    for (const auto& [first, second, why] : untestable) {
        const WelchOutcome outcome = welchTest(first, second);
        EXPECT_FALSE(outcome.test);
        EXPECT_EQ(outcome.noTest, why);
    }
}

TEST(Statistics, SpeedRatioAndItsUncertainty) {
    struct Row {
        std::vector<double> baseline, run;
        double ratio, uncertainty;
    };
    const Row rows[] = {
        {{2, 2, 2}, {1, 1, 1}, 2, 0},
        {{1, 1}, {4, 4, 4}, 0.25, 0},
        // The baseline's mean 2 has the standard error 1, half of it; the run's has none.
        {{1, 3}, {2, 2}, 1, 0.5},
    };
    for (const Row& row : rows) {
        const std::optional<SpeedRatio> speed = speedRatio(row.baseline, row.run);
        ASSERT_TRUE(speed);
        EXPECT_DOUBLE_EQ(speed->ratio, row.ratio);
        EXPECT_DOUBLE_EQ(speed->uncertainty, row.uncertainty);
    }
    EXPECT_FALSE(speedRatio({0, 0}, {1, 1}));
    EXPECT_FALSE(speedRatio({1}, {0}));
    EXPECT_FALSE(speedRatio({}, {1}));
}

// Where the warning starts: past 5% of spread, or at a cycle far from the others.
TEST(Statistics, ScatterThatMakesTheMeanMislead) {
    struct Row {
        std::vector<double> seconds;
        bool misleads;
        int outliers;
        const char* words; // a part of the warning
    };
    std::vector<double> steady(20, 1.0);
    std::vector<double> oneSlow = steady;
    oneSlow.back() = 1.2;
    std::vector<double> slightlyOff = {1.0, 1.001, 1.0, 1.001, 1.0, 1.02};
    const Row rows[] = {
        {steady, false, 0, nullptr},
        {{1.0}, false, 0, nullptr},
        {{1.0, 1.09}, true, 0, "the standard deviation is 6% of the mean"},
        {{0.96, 1.04}, true, 0, "the standard deviation is 6% of the mean"},
        {{0.965, 1.035}, false, 0, nullptr}, // 4.95%: just inside
        {{0.965, 1.035, 1.0, 1.0}, false, 0, nullptr},
        {oneSlow, false, 1, "1 cycle is an outlier"}, // 4.4% spread
        {slightlyOff, false, 0, nullptr},             // beyond the fence, 2% off the median
        {{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2},
         true,
         2,
         "the standard deviation is 30% of the mean and 2 cycles are outliers"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.seconds.size());
        const Scatter found = scatter(row.seconds);
        EXPECT_EQ(found.outliers, row.outliers);
        EXPECT_EQ(found.misleads(), row.misleads || row.outliers > 0);
        const QString warning = scatterWarning(row.seconds);
        if (!row.words) {
            EXPECT_TRUE(warning.isEmpty()) << warning.toStdString();
            continue;
        }
        EXPECT_TRUE(warning.contains(QString::fromLatin1(row.words))) << warning.toStdString();
        EXPECT_TRUE(
            warning.endsWith(QStringLiteral("try an idle machine, more cycles or --warmup")));
    }
}

Outcome runOf(double index, std::vector<double> seconds) {
    return {.index = index,
            .indexText = QString::number(index),
            .cycles = static_cast<std::int64_t>(seconds.size()),
            .callsPerCycle = countedCalls(index).value_or(0),
            .seconds = std::move(seconds),
            .result = 1};
}

TEST(SavedRun, ReadsBackWhatJsonWrites) {
    const Outcome run = runOf(92, {0.25, 0.5, 1e-9});
    QString problem;
    const std::optional<SavedRun> saved =
        savedRun(jsonReport(run, QStringLiteral("1.00"), QStringLiteral("Some CPU")),
                 QStringLiteral("a.json"), problem);
    ASSERT_TRUE(saved) << problem.toStdString();
    EXPECT_EQ(saved->outcome.index, 92);
    EXPECT_EQ(saved->outcome.seconds, run.seconds);
    EXPECT_EQ(saved->outcome.callsPerCycle, 12200160415121876737u);
    EXPECT_EQ(saved->version, QStringLiteral("1.00"));
    EXPECT_EQ(saved->processor, QStringLiteral("Some CPU"));
    // As the version before the format had a number wrote it.
    const QByteArray unnumbered =
        R"({"program": "Tessaly", "version": "1.00", "processor": "x", "index": 30,
            "seconds": [0.1, 0.2]})";
    EXPECT_TRUE(savedRun(unnumbered, QStringLiteral("old.json"), problem)) << problem.toStdString();
}

TEST(SavedRun, RefusesWhatIsNotOneOfOurs) {
    const QByteArray ours =
        jsonReport(runOf(30, {0.1, 0.2}), QStringLiteral("1.00"), QStringLiteral("x"));
    const auto with = [&](const char* from, const char* to) {
        QByteArray changed = ours;
        return changed.replace(from, to);
    };
    const std::pair<QByteArray, const char*> rows[] = {
        {"", "'b.json' is not a run saved by tessaly --json: it is empty."},
        {"hello", "it is not JSON (illegal value at byte 1)"},
        {"[1, 2]", "it does not say it is Tessaly's"},
        {"{\"a\": 1} x", "it is not JSON (garbage at the end of the document"},
        {"{\"a\": 1,,}", "it is not JSON"},
        {with("\"Tessaly\"", "\"Other\""), "it does not say it is Tessaly's"},
        {with("\"format_version\": 1", "\"format_version\": 2"),
         "'b.json' is of format 2, newer than the format 1 this tessaly reads"},
        {with("\"format_version\": 1", "\"format_version\": 1.5"), "not a format's number"},
        {with("\"format_version\": 1", "\"format_version\": 0"), "not a format's number"},
        {with("\"index\": 30", "\"index\": \"30\""), "it lacks the index"},
        {with("\"seconds\"", "\"times\""), "it lacks the index"},
        {with("0.2\n", "\"0.2\"\n"), "its seconds are not all numbers of seconds"},
        {with("0.2\n", "-0.2\n"), "its seconds are not all numbers of seconds"},
    };
    for (const auto& [text, words] : rows) {
        QString problem;
        EXPECT_FALSE(savedRun(text, QStringLiteral("b.json"), problem)) << text.toStdString();
        EXPECT_TRUE(problem.contains(QString::fromLatin1(words))) << problem.toStdString() << "\n"
                                                                  << text.toStdString();
        EXPECT_FALSE(problem.contains(QLatin1Char('\n')));
    }
}

// A file written in part, wherever it stops, is said to be cut short.
TEST(SavedRun, RefusesEveryTruncation) {
    const QByteArray ours =
        jsonReport(runOf(30, {0.1, 2.5e-05, 1234.5}), QStringLiteral("1.00"), QStringLiteral("x"));
    for (qsizetype size = 1; size < ours.trimmed().size(); ++size) {
        QString problem;
        EXPECT_FALSE(savedRun(ours.left(size), QStringLiteral("c.json"), problem));
        EXPECT_TRUE(problem.startsWith(QStringLiteral("'c.json' is cut short")))
            << problem.toStdString() << "\n"
            << ours.left(size).toStdString();
    }
}

TEST(SavedRun, OnlyOfTheSameIndexWithACycle) {
    const SavedRun saved{.name = QStringLiteral("b.json"), .outcome = runOf(35, {1})};
    EXPECT_EQ(comparableProblem(saved, 35), QString());
    EXPECT_EQ(comparableProblem(saved, 40),
              QStringLiteral("'b.json' times index 35, not 40: only runs of one index compare."));
    EXPECT_FALSE(comparableProblem(saved, 35.5).isEmpty());
    const SavedRun none{.name = QStringLiteral("b.json"), .outcome = runOf(35, {})};
    EXPECT_EQ(comparableProblem(none, 35),
              QStringLiteral("'b.json' holds no finished cycle to compare with."));
}

TEST(Comparison, Words) {
    const std::vector<double> slow = {2, 2.1, 1.9, 2, 2};
    const std::vector<double> fast = {1, 1.05, 0.95, 1, 1};
    struct Row {
        std::vector<double> baseline, run;
        const char* speed;
        const char* test;
    };
    const Row rows[] = {
        {slow, fast, "this run is 2.00 \u00b1 0.04 times faster than before.json\n",
         "significant difference: Welch's t-test gives p = "},
        {fast, slow, "this run is 2.00 \u00b1 0.04 times slower than before.json\n",
         "significant difference: Welch's t-test gives p = "},
        {slow, slow, "this run is 1.00 \u00b1 0.02 times faster than before.json\n",
         "no significant difference: Welch's t-test gives p = 1 (t = 0 with 8 degrees of "
         "freedom), not below 0.05\n"},
        {slow,
         {1.5},
         "this run is 1.33 \u00b1 0.02 times faster than before.json\n",
         "no significance test: this run has 1 cycle, and Welch's t-test needs 2 or more in each "
         "run\n"},
        {{3},
         {1.5},
         "this run is 2.00 \u00b1 0.00 times faster than before.json\n",
         "no significance test: neither run has 2 cycles"},
        {{3, 3},
         {1.5, 1.5},
         "this run is 2.00 \u00b1 0.00 times faster",
         "no significance test: the cycles of neither run vary"},
        {{0, 0},
         {1, 1},
         "cannot say which is faster: a run took no measurable time\n",
         "no significance test: the cycles of neither run vary"},
    };
    for (const Row& row : rows) {
        const SavedRun baseline{.name = QStringLiteral("before.json"),
                                .outcome = runOf(30, row.baseline),
                                .version = QStringLiteral("0.99"),
                                .processor = QStringLiteral("Old CPU")};
        const QString text =
            comparisonText(baseline, QStringLiteral("this run"), runOf(30, row.run),
                           QStringLiteral("1.00"), QStringLiteral("New CPU"));
        SCOPED_TRACE(text.toStdString());
        EXPECT_TRUE(text.startsWith(QStringLiteral("compared with before.json:\n  this run:    "
                                                   "index 30, ")));
        EXPECT_TRUE(text.contains(QStringLiteral("; Tessaly 1.00 on New CPU\n  before.json: "
                                                 "index 30, ")));
        EXPECT_TRUE(text.contains(QStringLiteral("; Tessaly 0.99 on Old CPU\n")));
        EXPECT_TRUE(text.contains(QString::fromUtf8(row.speed)));
        EXPECT_TRUE(text.contains(QString::fromUtf8(row.test)));
    }
}

TEST(Comparison, JsonHoldsBothRunsAndTheVerdict) {
    const SavedRun baseline{.name = QStringLiteral("before.json"),
                            .outcome = runOf(92, {2, 2.1, 1.9, 2, 2}),
                            .version = QStringLiteral("0.99"),
                            .processor = QStringLiteral("Old CPU")};
    const QByteArray text =
        comparisonJson(baseline, QStringLiteral("this run"), runOf(92, {1, 1.05, 0.95, 1, 1}),
                       QStringLiteral("1.00"), QStringLiteral("New CPU"));
    // Both counts as the integers they are, past what a double holds.
    EXPECT_EQ(text.count("\"counted_calls_per_cycle\": 12200160415121876737,"), 2)
        << text.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(text).object();
    EXPECT_EQ(o.value(QStringLiteral("processor")).toString(), QStringLiteral("New CPU"));
    EXPECT_EQ(o.value(QStringLiteral("statistics"))[QStringLiteral("mean")].toDouble(), 1);
    const QJsonObject b = o.value(QStringLiteral("baseline")).toObject();
    EXPECT_EQ(b.value(QStringLiteral("file")).toString(), QStringLiteral("before.json"));
    EXPECT_EQ(b.value(QStringLiteral("version")).toString(), QStringLiteral("0.99"));
    EXPECT_EQ(b.value(QStringLiteral("seconds")).toArray().size(), 5);
    EXPECT_EQ(b.value(QStringLiteral("statistics"))[QStringLiteral("median")].toDouble(), 2);
    const QJsonObject c = o.value(QStringLiteral("comparison")).toObject();
    EXPECT_DOUBLE_EQ(c.value(QStringLiteral("speed_ratio")).toDouble(), 2);
    EXPECT_GT(c.value(QStringLiteral("speed_ratio_uncertainty")).toDouble(), 0);
    EXPECT_EQ(c.value(QStringLiteral("test")).toString(), QStringLiteral("Welch's t-test"));
    EXPECT_LT(c.value(QStringLiteral("p")).toDouble(), 0.05);
    EXPECT_TRUE(c.value(QStringLiteral("significant")).toBool());
    EXPECT_EQ(c.value(QStringLiteral("speed")).toString(),
              QStringLiteral("this run is 2.00 \u00b1 0.04 times faster than before.json"));
    // What it wrote reads back as a baseline.
    QString problem;
    EXPECT_TRUE(savedRun(text, QStringLiteral("c.json"), problem)) << problem.toStdString();
    const auto verdict = [&](std::vector<double> seconds) {
        return QJsonDocument::fromJson(comparisonJson(baseline, QStringLiteral("this run"),
                                                      runOf(92, std::move(seconds)), {}, {}))
            .object()
            .value(QStringLiteral("comparison"))
            .toObject();
    };
    const QJsonObject untested = verdict({1});
    EXPECT_TRUE(untested.value(QStringLiteral("p")).isNull());
    EXPECT_TRUE(untested.value(QStringLiteral("significant")).isNull());
    EXPECT_TRUE(untested.value(QStringLiteral("significance"))
                    .toString()
                    .startsWith(QStringLiteral("no significance test")));
    const QJsonObject cancelled = verdict({});
    EXPECT_EQ(cancelled.value(QStringLiteral("speed")).toString(),
              QStringLiteral("cannot say which is faster: this run has no finished cycle"));
    EXPECT_TRUE(cancelled.value(QStringLiteral("speed_ratio")).isNull());
}

} // namespace
} // namespace tessaly::command_line
