#include "tessaly/command_line/scan.h"

#include "platform/core/command_line.h"
#include "tessaly/fibonacci.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessaly::command_line {
namespace {

const QString rangeMark = QStringLiteral("..");

// Room for the digits of the range's largest count of calls, which is above its largest
// result, or for the column's name.
int numberWidth(const IndexRange& range, const QString& name) {
    return std::max(int(QString::number(qulonglong(countedCalls(range.last).value_or(0))).size()),
                    int(name.size()));
}

const QString resultColumn = QStringLiteral("result");
const QString callsColumn = QStringLiteral("counted calls");

// Four decimals: the growth and its error are known to a few digits at most.
QString fourDigits(double value) {
    return QString::number(value, 'f', 4);
}

QString growthText(const std::optional<Growth>& growth) {
    if (!growth)
        return QStringLiteral("growth per index step: no fit, the seconds of two indices at "
                              "least are needed\n");
    const std::optional<double> error = growth->perStepError();
    return QStringLiteral("growth per index step: %1%2 (least squares of log seconds over %3 "
                          "indices%4); the golden ratio: %5\n")
        .arg(fourDigits(growth->perStep()),
             error ? QStringLiteral(" \u00b1 ") + fourDigits(*error) : QString())
        .arg(growth->points)
        .arg(error ? QString() : QStringLiteral(", two points give no error"))
        .arg(fourDigits(std::numbers::phi));
}

QString costText(const std::vector<Outcome>& rows) {
    struct Cost {
        double index;
        double nanoseconds;
    };
    std::vector<Cost> costs;
    for (const Outcome& row : rows)
        if (const auto cost = nanosecondsPerCall(statistics(row.seconds)->mean, row.callsPerCycle))
            costs.push_back({row.index, *cost});
    if (costs.size() < 2)
        return {};
    std::vector<double> sorted;
    for (const Cost& cost : costs)
        sorted.push_back(cost.nanoseconds);
    std::sort(sorted.begin(), sorted.end());
    const std::size_t middle = sorted.size() / 2;
    const double median =
        sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
    const auto [cheapest, dearest] =
        std::minmax_element(costs.begin(), costs.end(), [](const Cost& a, const Cost& b) {
            return a.nanoseconds < b.nanoseconds;
        });
    const Cost& farthest =
        std::abs(dearest->nanoseconds - median) >= std::abs(median - cheapest->nanoseconds)
            ? *dearest
            : *cheapest;
    const double off = (farthest.nanoseconds - median) / median;
    QString text = QStringLiteral("cost per counted call: from %1 ns (index %2) to %3 ns (index "
                                  "%4), median %5 ns: ")
                       .arg(QString::number(cheapest->nanoseconds, 'g', 4))
                       .arg(cheapest->index)
                       .arg(QString::number(dearest->nanoseconds, 'g', 4))
                       .arg(dearest->index)
                       .arg(QString::number(median, 'g', 4));
    const int bound = int(std::lround(steadyCostSpread * 100));
    if (std::abs(off) <= steadyCostSpread)
        return text + QStringLiteral("steady, every index within %1% of the median\n").arg(bound);
    return text + QStringLiteral("not steady, index %1 is %2% %3 the median (more than %4%: a "
                                 "cache or a clock that changed pace, the timer's own cost at "
                                 "small indices, or a busy machine)\n")
                      .arg(farthest.index)
                      .arg(std::lround(std::abs(off) * 100))
                      .arg(off > 0 ? QStringLiteral("above") : QStringLiteral("below"))
                      .arg(bound);
}

} // namespace

bool isRange(const QString& text) {
    return text.contains(rangeMark);
}

std::optional<IndexRange> readRange(const QString& text, QString& problem) {
    const QString shown = platform::quotedArgument(text);
    const qsizetype mark = text.indexOf(rangeMark);
    const QString firstText = text.left(mark);
    const QString lastText = text.mid(mark + rangeMark.size());
    if (!platform::isPlainNumber(firstText) || !platform::isPlainNumber(lastText)) {
        problem = QStringLiteral("--index: %1 is neither a number nor a range such as 20..32.")
                      .arg(shown);
        return std::nullopt;
    }
    static const QRegularExpression whole(
        QRegularExpression::anchoredPattern(QStringLiteral("[0-9]+")));
    bool firstRead = false;
    bool lastRead = false;
    const int first = whole.match(firstText).hasMatch() ? firstText.toInt(&firstRead) : 0;
    const int last = whole.match(lastText).hasMatch() ? lastText.toInt(&lastRead) : 0;
    if (!firstRead || !lastRead || beyond64Bits(last)) {
        problem = QStringLiteral("--index: a range runs over whole indices from 0, and %1; not "
                                 "%2.")
                      .arg(largestIndexWords(0), shown);
        return std::nullopt;
    }
    if (first >= last) {
        problem =
            QStringLiteral("--index: a range goes up from a smaller index to a larger "
                           "one, not %1%2.")
                .arg(shown, first == last
                                ? QStringLiteral(" (for one index give --index %1)").arg(first)
                                : QString());
        return std::nullopt;
    }
    return IndexRange{first, last};
}

std::optional<double> nanosecondsPerCall(double seconds, std::uint64_t calls) {
    const std::optional<CallCost> cost = callCost(seconds, calls);
    return cost ? std::optional(cost->nanosecondsPerCall) : std::nullopt;
}

QString perCallText(double seconds, std::uint64_t calls) {
    const std::optional<double> cost = nanosecondsPerCall(seconds, calls);
    return cost ? QString::number(*cost, 'g', 4) : QStringLiteral("-");
}

QString meanAndDeviationText(const Statistics& seconds) {
    return secondsText(seconds.mean) + QStringLiteral(" \u00b1 ") +
           secondsText(seconds.standardDeviation);
}

double Growth::perStep() const {
    return std::exp(slope);
}

std::optional<double> Growth::perStepError() const {
    if (!slopeError)
        return std::nullopt;
    return perStep() * *slopeError;
}

double Growth::secondsAt(double index) const {
    return std::exp(intercept + slope * index);
}

std::optional<Growth> fitGrowth(const std::vector<double>& indices,
                                const std::vector<double>& seconds) {
    std::vector<double> x;
    std::vector<double> y;
    for (std::size_t i = 0; i < indices.size() && i < seconds.size(); ++i)
        if (seconds[i] > 0 && std::isfinite(seconds[i])) {
            x.push_back(indices[i]);
            y.push_back(std::log(seconds[i]));
        }
    const auto n = double(x.size());
    if (x.size() < 2)
        return std::nullopt;
    double meanX = 0;
    double meanY = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        meanX += x[i] / n;
        meanY += y[i] / n;
    }
    double sxx = 0;
    double sxy = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        sxx += (x[i] - meanX) * (x[i] - meanX);
        sxy += (x[i] - meanX) * (y[i] - meanY);
    }
    // Points all at one index give no slope.
    if (!(sxx > 0))
        return std::nullopt;
    Growth growth;
    growth.points = int(x.size());
    growth.slope = sxy / sxx;
    growth.intercept = meanY - growth.slope * meanX;
    if (x.size() > 2) {
        double squares = 0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            const double residual = y[i] - (growth.intercept + growth.slope * x[i]);
            squares += residual * residual;
        }
        growth.slopeError = std::sqrt(squares / (n - 2) / sxx);
    }
    return growth;
}

std::optional<Growth> scanGrowth(const std::vector<Outcome>& rows) {
    std::vector<double> indices;
    std::vector<double> seconds;
    for (const Outcome& row : rows) {
        indices.push_back(row.index);
        seconds.push_back(statistics(row.seconds)->mean);
    }
    return fitGrowth(indices, seconds);
}

QString scanHeader(const IndexRange& range) {
    return QStringLiteral("%1  %2  %3  %4  %5\n")
        .arg(QStringLiteral("index"), 5)
        .arg(resultColumn, numberWidth(range, resultColumn))
        .arg(callsColumn, numberWidth(range, callsColumn))
        .arg(QStringLiteral("seconds, mean \u00b1 sd"), -25)
        .arg(QStringLiteral("ns per call"));
}

QString scanRow(const IndexRange& range, const Outcome& row) {
    const Statistics seconds = *statistics(row.seconds);
    return QStringLiteral("%1  %2  %3  %4  %5\n")
        .arg(row.indexText, 5)
        .arg(row.result ? QString::number(*row.result) : QStringLiteral("-"),
             numberWidth(range, resultColumn))
        .arg(QString::number(qulonglong(row.callsPerCycle)), numberWidth(range, callsColumn))
        .arg(meanAndDeviationText(seconds), -25)
        .arg(perCallText(seconds.mean, row.callsPerCycle), 11);
}

QString scanSummary(const IndexRange& range, const std::vector<Outcome>& rows, bool cancelled) {
    QString text;
    if (cancelled)
        text += QStringLiteral("cancelled after %1 of %2 indices\n")
                    .arg(rows.size())
                    .arg(range.count());
    if (rows.empty())
        return text + QStringLiteral("no index finished: no fit\n");
    return text + growthText(scanGrowth(rows)) + costText(rows);
}

} // namespace tessaly::command_line
