#include "tessaly/command_line/report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace tessaly::command_line {

std::optional<Statistics> statistics(const std::vector<double>& seconds) {
    if (seconds.empty())
        return std::nullopt;
    const double count = static_cast<double>(seconds.size());
    Statistics result;
    result.mean = std::accumulate(seconds.begin(), seconds.end(), 0.0) / count;
    double squares = 0;
    for (const double s : seconds)
        squares += (s - result.mean) * (s - result.mean);
    result.standardDeviation = seconds.size() > 1 ? std::sqrt(squares / (count - 1)) : 0;
    const auto [min, max] = std::minmax_element(seconds.begin(), seconds.end());
    result.min = *min;
    result.max = *max;
    return result;
}

QString secondsText(double seconds) {
    return QString::number(seconds, 'g', 6);
}

QString cycleLine(std::int64_t cycle, std::int64_t cycles, double seconds) {
    return QStringLiteral("cycle %1 of %2: %3 s\n")
        .arg(cycle)
        .arg(cycles)
        .arg(secondsText(seconds));
}

QString summaryText(const Outcome& outcome) {
    const auto done = static_cast<std::int64_t>(outcome.seconds.size());
    QString text;
    if (outcome.cancelled)
        text += QStringLiteral("cancelled after %1 of %2 cycles\n").arg(done).arg(outcome.cycles);
    if (!outcome.result)
        return text + QStringLiteral("no cycle finished: no result\n");
    text += QStringLiteral("Fibonacci number of index %1: %2 (%3 counted calls a cycle)\n")
                .arg(outcome.indexText)
                .arg(*outcome.result)
                .arg(outcome.callsPerCycle);
    const Statistics s = *statistics(outcome.seconds);
    text += QStringLiteral("seconds per cycle, mean \u00b1 standard deviation of %1 %2: %3 \u00b1 "
                           "%4\n")
                .arg(done)
                .arg(done == 1 ? QStringLiteral("cycle") : QStringLiteral("cycles"))
                .arg(secondsText(s.mean), secondsText(s.standardDeviation));
    text += QStringLiteral("seconds per cycle, min and max: %1 and %2\n")
                .arg(secondsText(s.min), secondsText(s.max));
    return text;
}

QByteArray jsonReport(const Outcome& outcome, const QString& version, const QString& processor) {
    QJsonArray seconds;
    for (const double s : outcome.seconds)
        seconds.append(s);
    QJsonValue statisticsValue = QJsonValue::Null;
    if (const std::optional<Statistics> s = statistics(outcome.seconds))
        statisticsValue = QJsonObject{{QStringLiteral("mean"), s->mean},
                                      {QStringLiteral("standard_deviation"), s->standardDeviation},
                                      {QStringLiteral("min"), s->min},
                                      {QStringLiteral("max"), s->max}};
    // The count goes in as its digits in a string, whose quotes then go from the text.
    const QByteArray calls = QByteArray::number(qulonglong(outcome.callsPerCycle));
    const QJsonDocument document(QJsonObject{
        {QStringLiteral("program"), QStringLiteral("Tessaly")},
        {QStringLiteral("version"), version},
        {QStringLiteral("processor"), processor},
        {QStringLiteral("index"), outcome.index},
        {QStringLiteral("cycles"), qint64(outcome.cycles)},
        {QStringLiteral("counted_calls_per_cycle"), QString::fromLatin1(calls)},
        {QStringLiteral("result"),
         outcome.result ? QJsonValue(qint64(*outcome.result)) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("cycles_done"), qint64(outcome.seconds.size())},
        {QStringLiteral("cancelled"), outcome.cancelled},
        {QStringLiteral("seconds"), seconds},
        {QStringLiteral("statistics"), statisticsValue},
    });
    const QByteArray key = "\"counted_calls_per_cycle\": ";
    return document.toJson().replace(key + '"' + calls + '"', key + calls);
}

} // namespace tessaly::command_line
