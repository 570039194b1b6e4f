#include "tessaly/command_line/compare.h"

#include "platform/core/command_line.h"
#include "tessaly/fibonacci.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>

namespace tessaly::command_line {
namespace {

// A million cycles' seconds take some 30 MB as --json writes them: a file far larger is no run of
// ours, and is not read into memory whole to find that out.
constexpr qint64 largestSavedRun = 256 * 1024 * 1024;

// Whether the parser stopped where the text stops, so that more text could have made it a
// document: the end of a file written only in part. A literal cut short ("nul") stops the parser
// at its start.
bool stopsAtTheEnd(const QByteArray& text, const QJsonParseError& error) {
    qsizetype end = text.size();
    while (end > 0 && QByteArrayView(" \t\r\n").contains(text[end - 1]))
        --end;
    while (end > 0 && text[end - 1] >= 'a' && text[end - 1] <= 'z')
        --end;
    return error.error != QJsonParseError::GarbageAtEnd && error.offset >= end;
}

bool isWholeNumber(const QJsonValue& value) {
    return value.isDouble() && std::isfinite(value.toDouble()) &&
           value.toDouble() == std::floor(value.toDouble());
}

QString shown(const QString& name) {
    return platform::printable(name);
}

QString cyclesWords(std::size_t cycles) {
    return cycles == 1 ? QStringLiteral("1 cycle") : QStringLiteral("%1 cycles").arg(cycles);
}

// A ratio to the digit its uncertainty reaches, and at least two decimals.
QString ratioText(double value, double uncertainty) {
    int decimals = 2;
    if (uncertainty > 0 && std::isfinite(uncertainty))
        decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(uncertainty))), 2, 4);
    return QStringLiteral("%1 \u00b1 %2")
        .arg(QString::number(value, 'f', decimals), QString::number(uncertainty, 'f', decimals));
}

QString speedText(const Comparison& comparison, const Outcome& run, const QString& subject,
                  const QString& base) {
    if (run.seconds.empty())
        return QStringLiteral("cannot say which is faster: %1 has no finished cycle").arg(subject);
    if (!comparison.speed)
        return QStringLiteral("cannot say which is faster: a run took no measurable time");
    const SpeedRatio& s = *comparison.speed;
    if (s.ratio >= 1)
        return QStringLiteral("%1 is %2 times faster than %3")
            .arg(subject, ratioText(s.ratio, s.uncertainty), base);
    // The same relative uncertainty, of the inverse.
    return QStringLiteral("%1 is %2 times slower than %3")
        .arg(subject, ratioText(1 / s.ratio, s.uncertainty / (s.ratio * s.ratio)), base);
}

QString testText(const Comparison& comparison, const Outcome& baseline, const Outcome& run,
                 const QString& subject, const QString& base) {
    if (const std::optional<WelchTest>& test = comparison.test.test)
        return QStringLiteral("%1: Welch's t-test gives p = %2 (t = %3 with %4 degrees of "
                              "freedom), %5 %6")
            .arg(test->significant() ? QStringLiteral("significant difference")
                                     : QStringLiteral("no significant difference"),
                 QString::number(test->p, 'g', 2), QString::number(test->t, 'g', 3),
                 QString::number(test->degreesOfFreedom, 'g', 3),
                 test->significant() ? QStringLiteral("below") : QStringLiteral("not below"),
                 QString::number(significanceLevel));
    if (comparison.test.noTest == NoTest::NoSpread)
        return QStringLiteral("no significance test: the cycles of neither run vary, and Welch's "
                              "t-test needs some spread");
    const bool runShort = run.seconds.size() < 2;
    const bool baseShort = baseline.seconds.size() < 2;
    const QString who =
        runShort && baseShort
            ? QStringLiteral("neither run has 2 cycles")
            : QStringLiteral("%1 has %2")
                  .arg(runShort ? subject : base,
                       cyclesWords(runShort ? run.seconds.size() : baseline.seconds.size()));
    return QStringLiteral("no significance test: %1, and Welch's t-test needs 2 or more in each "
                          "run")
        .arg(who);
}

QString sideText(const QString& label, int width, const Outcome& outcome, const QString& version,
                 const QString& processor) {
    const std::optional<Statistics> s = statistics(outcome.seconds);
    return QStringLiteral("  %1 index %2, %3, mean %4 s, median %5 s; Tessaly %6 on %7\n")
        .arg(QString(label + QLatin1Char(':')).leftJustified(width + 1),
             QString::number(outcome.index, 'g', QLocale::FloatingPointShortest),
             cyclesWords(outcome.seconds.size()), s ? secondsText(s->mean) : QStringLiteral("?"),
             s ? secondsText(s->median) : QStringLiteral("?"), shown(version), shown(processor));
}

} // namespace

std::optional<SavedRun> savedRun(const QByteArray& text, const QString& name, QString& problem) {
    const QString quoted = platform::quotedArgument(name);
    const auto notOurs = [&](const QString& why) {
        problem = QStringLiteral("%1 is not a run saved by tessaly --json: %2.").arg(quoted, why);
        return std::nullopt;
    };
    if (text.trimmed().isEmpty())
        return notOurs(QStringLiteral("it is empty"));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError) {
        if (text.trimmed().startsWith('{') && stopsAtTheEnd(text, error)) {
            problem = QStringLiteral("%1 is cut short: its JSON ends after %2 bytes, before the "
                                     "document does.")
                          .arg(quoted)
                          .arg(text.size());
            return std::nullopt;
        }
        return notOurs(QStringLiteral("it is not JSON (%1 at byte %2)")
                           .arg(error.errorString())
                           .arg(error.offset));
    }
    const QJsonObject o = document.object();
    if (!document.isObject() ||
        o.value(QStringLiteral("program")).toString() != QStringLiteral("Tessaly"))
        return notOurs(QStringLiteral("it does not say it is Tessaly's"));
    // A document written before the format had a number is of the first format.
    const QJsonValue format = o.value(QStringLiteral("format_version"));
    if (!format.isUndefined() && (!isWholeNumber(format) || format.toDouble() < 1))
        return notOurs(QStringLiteral("its format_version is not a format's number"));
    if (format.toDouble() > jsonFormat) {
        problem = QStringLiteral("%1 is of format %2, newer than the format %3 this tessaly reads: "
                                 "compare it with the version that wrote it.")
                      .arg(quoted)
                      .arg(format.toDouble())
                      .arg(jsonFormat);
        return std::nullopt;
    }
    SavedRun run;
    run.name = name;
    const QJsonValue index = o.value(QStringLiteral("index"));
    const QJsonValue version = o.value(QStringLiteral("version"));
    const QJsonValue processor = o.value(QStringLiteral("processor"));
    const QJsonValue seconds = o.value(QStringLiteral("seconds"));
    if (!index.isDouble() || !version.isString() || !processor.isString() || !seconds.isArray())
        return notOurs(QStringLiteral("it lacks the index, the version, the processor or the "
                                      "seconds"));
    for (const QJsonValue s : seconds.toArray()) {
        if (!s.isDouble() || !std::isfinite(s.toDouble()) || s.toDouble() < 0)
            return notOurs(QStringLiteral("its seconds are not all numbers of seconds"));
        run.outcome.seconds.push_back(s.toDouble());
    }
    run.outcome.index = index.toDouble();
    run.outcome.indexText = QString::number(run.outcome.index, 'g', QLocale::FloatingPointShortest);
    run.outcome.callsPerCycle = countedCalls(run.outcome.index).value_or(0);
    const QJsonValue cycles = o.value(QStringLiteral("cycles"));
    run.outcome.cycles = isWholeNumber(cycles) ? cycles.toInteger()
                                               : static_cast<qint64>(run.outcome.seconds.size());
    const QJsonValue warmup = o.value(QStringLiteral("warmup"));
    run.outcome.warmup = isWholeNumber(warmup) ? warmup.toInteger() : 0;
    const QJsonValue result = o.value(QStringLiteral("result"));
    if (isWholeNumber(result) && !run.outcome.seconds.empty())
        run.outcome.result = result.toInteger();
    run.outcome.cancelled = o.value(QStringLiteral("cancelled")).toBool();
    run.version = version.toString();
    run.processor = processor.toString();
    return run;
}

std::optional<SavedRun> readSavedRun(const QString& path, QString& problem) {
    const QString quoted = platform::quotedArgument(path);
    const QFileInfo info(path);
    QFile file(path);
    if (!info.exists()) {
        problem = QStringLiteral("cannot read %1: there is no such file.").arg(quoted);
    } else if (!info.isFile()) {
        problem = QStringLiteral("%1 is not a regular file: a saved run is one.").arg(quoted);
    } else if (info.size() > largestSavedRun) {
        problem = QStringLiteral("%1 is not a run saved by tessaly --json: it is far too large.")
                      .arg(quoted);
    } else if (!file.open(QIODevice::ReadOnly)) {
        problem = QStringLiteral("cannot read %1: %2.").arg(quoted, file.errorString());
    } else {
        return savedRun(file.read(largestSavedRun + 1), path, problem);
    }
    return std::nullopt;
}

QString comparableProblem(const SavedRun& baseline, double index) {
    const QString quoted = platform::quotedArgument(baseline.name);
    if (baseline.outcome.index != index)
        return QStringLiteral("%1 times index %2, not %3: only runs of one index compare.")
            .arg(quoted, baseline.outcome.indexText,
                 QString::number(index, 'g', QLocale::FloatingPointShortest));
    if (baseline.outcome.seconds.empty())
        return QStringLiteral("%1 holds no finished cycle to compare with.").arg(quoted);
    return {};
}

Comparison compare(const Outcome& baseline, const Outcome& run) {
    return {.speed = speedRatio(baseline.seconds, run.seconds),
            .test = welchTest(run.seconds, baseline.seconds)};
}

QString comparisonText(const SavedRun& baseline, const QString& subject, const Outcome& run,
                       const QString& version, const QString& processor) {
    const QString base = shown(baseline.name);
    const Comparison comparison = compare(baseline.outcome, run);
    const int width = static_cast<int>(std::max(subject.size(), base.size()));
    return QStringLiteral("compared with %1:\n").arg(base) +
           sideText(subject, width, run, version, processor) +
           sideText(base, width, baseline.outcome, baseline.version, baseline.processor) +
           speedText(comparison, run, subject, base) + QLatin1Char('\n') +
           testText(comparison, baseline.outcome, run, subject, base) + QLatin1Char('\n');
}

QByteArray comparisonJson(const SavedRun& baseline, const QString& subject, const Outcome& run,
                          const QString& version, const QString& processor) {
    const Comparison comparison = compare(baseline.outcome, run);
    QJsonObject document = runObject(run, version, processor);
    QJsonObject base = runObject(baseline.outcome, baseline.version, baseline.processor);
    base.insert(QStringLiteral("file"), baseline.name);
    document.insert(QStringLiteral("baseline"), base);
    const QString name = shown(baseline.name);
    const std::optional<WelchTest>& test = comparison.test.test;
    const auto number = [](bool known, double value) {
        return known ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
    };
    document.insert(
        QStringLiteral("comparison"),
        QJsonObject{
            // Above 1 this run is the faster.
            {QStringLiteral("speed_ratio"),
             number(comparison.speed.has_value(), comparison.speed ? comparison.speed->ratio : 0)},
            {QStringLiteral("speed_ratio_uncertainty"),
             number(comparison.speed.has_value(),
                    comparison.speed ? comparison.speed->uncertainty : 0)},
            {QStringLiteral("test"),
             test ? QJsonValue(QStringLiteral("Welch's t-test")) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("t"), number(test.has_value(), test ? test->t : 0)},
            {QStringLiteral("degrees_of_freedom"),
             number(test.has_value(), test ? test->degreesOfFreedom : 0)},
            {QStringLiteral("p"), number(test.has_value(), test ? test->p : 0)},
            {QStringLiteral("significance_level"), significanceLevel},
            {QStringLiteral("significant"),
             test ? QJsonValue(test->significant()) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("speed"), speedText(comparison, run, subject, name)},
            {QStringLiteral("significance"),
             testText(comparison, baseline.outcome, run, subject, name)},
        });
    return jsonText(document);
}

} // namespace tessaly::command_line
