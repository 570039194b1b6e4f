#include "tessaly/command_line/report.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>

#include <sys/ioctl.h>

namespace tessaly::command_line {

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
    text += QStringLiteral("seconds per cycle, median: %1\n").arg(secondsText(s.median));
    if (const std::optional<CallCost> cost = callCost(s.mean, outcome.callsPerCycle))
        text += QStringLiteral("cost per counted call: %1 ns, %2 million calls a second\n")
                    .arg(QString::number(cost->nanosecondsPerCall, 'g', 4),
                         QString::number(cost->callsPerSecond / 1e6, 'g', 4));
    else
        text += QStringLiteral("cost per counted call: none, %1\n")
                    .arg(outcome.callsPerCycle == 0
                             ? QStringLiteral("a cycle of this index makes no counted call")
                             : QStringLiteral("the cycles took no measurable time"));
    if (outcome.warmup > 0)
        text += QStringLiteral("after %1 warm-up %2 left out of these figures\n")
                    .arg(outcome.warmup)
                    .arg(outcome.warmup == 1 ? QStringLiteral("cycle") : QStringLiteral("cycles"));
    if (const QString warning = scatterWarning(outcome.seconds); !warning.isEmpty())
        text += QStringLiteral("warning: %1\n").arg(warning);
    return text;
}

QString scatterWarning(const std::vector<double>& seconds) {
    const Scatter found = scatter(seconds);
    if (!found.misleads())
        return {};
    QStringList why;
    if (found.relativeSpread > widestRelativeSpread)
        why += QStringLiteral("the standard deviation is %1% of the mean")
                   .arg(QString::number(found.relativeSpread * 100, 'f', 0));
    if (found.outliers > 0)
        why += found.outliers == 1 ? QStringLiteral("1 cycle is an outlier")
                                   : QStringLiteral("%1 cycles are outliers").arg(found.outliers);
    return QStringLiteral("the mean may mislead, %1; try an idle machine, more cycles or --warmup")
        .arg(why.join(QStringLiteral(" and ")));
}

QJsonObject runObject(const Outcome& outcome, const QString& version, const QString& processor) {
    QJsonArray seconds;
    for (const double s : outcome.seconds)
        seconds.append(s);
    QJsonValue statisticsValue = QJsonValue::Null;
    QJsonValue warning = QJsonValue::Null;
    if (const std::optional<Statistics> s = statistics(outcome.seconds)) {
        const std::optional<CallCost> cost = callCost(s->mean, outcome.callsPerCycle);
        statisticsValue = QJsonObject{
            {QStringLiteral("mean"), s->mean},
            {QStringLiteral("standard_deviation"), s->standardDeviation},
            {QStringLiteral("min"), s->min},
            {QStringLiteral("max"), s->max},
            {QStringLiteral("median"), s->median},
            {QStringLiteral("nanoseconds_per_call"),
             cost ? QJsonValue(cost->nanosecondsPerCall) : QJsonValue(QJsonValue::Null)},
            {QStringLiteral("calls_per_second"),
             cost ? QJsonValue(cost->callsPerSecond) : QJsonValue(QJsonValue::Null)}};
        if (const QString words = scatterWarning(outcome.seconds); !words.isEmpty())
            warning = words;
    }
    return QJsonObject{
        {QStringLiteral("format_version"), jsonFormat},
        {QStringLiteral("program"), QStringLiteral("Tessaly")},
        {QStringLiteral("version"), version},
        {QStringLiteral("processor"), processor},
        {QStringLiteral("index"), outcome.index},
        {QStringLiteral("cycles"), qint64(outcome.cycles)},
        {QStringLiteral("warmup"), qint64(outcome.warmup)},
        {QStringLiteral("counted_calls_per_cycle"),
         QString::number(qulonglong(outcome.callsPerCycle))},
        {QStringLiteral("result"),
         outcome.result ? QJsonValue(qint64(*outcome.result)) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("cycles_done"), qint64(outcome.seconds.size())},
        {QStringLiteral("cancelled"), outcome.cancelled},
        {QStringLiteral("seconds"), seconds},
        {QStringLiteral("statistics"), statisticsValue},
        {QStringLiteral("warning"), warning},
    };
}

QByteArray jsonText(const QJsonObject& document) {
    // The digits go in as a string, whose quotes then go from the text.
    static const QRegularExpression quotedCount(
        QStringLiteral(R"re(("counted_calls_per_cycle": )"([0-9]+)")re"));
    return QString::fromUtf8(QJsonDocument(document).toJson())
        .replace(quotedCount, QStringLiteral("\\1\\2"))
        .toUtf8();
}

QByteArray jsonReport(const Outcome& outcome, const QString& version, const QString& processor) {
    return jsonText(runObject(outcome, version, processor));
}

namespace {

// The cores of Arm's own design (implementer 0x41) that Linux boards and servers carry, by part
// number. Other implementers, and parts not listed, are reported by their numbers.
struct Core {
    int part;
    const char* name;
};
constexpr Core armCores[] = {
    {0xd03, "Cortex-A53"},  {0xd04, "Cortex-A35"},  {0xd05, "Cortex-A55"},  {0xd07, "Cortex-A57"},
    {0xd08, "Cortex-A72"},  {0xd09, "Cortex-A73"},  {0xd0a, "Cortex-A75"},  {0xd0b, "Cortex-A76"},
    {0xd0c, "Neoverse-N1"}, {0xd0d, "Cortex-A77"},  {0xd40, "Neoverse-V1"}, {0xd41, "Cortex-A78"},
    {0xd44, "Cortex-X1"},   {0xd46, "Cortex-A510"}, {0xd47, "Cortex-A710"}, {0xd48, "Cortex-X2"},
    {0xd49, "Neoverse-N2"}, {0xd4b, "Cortex-A78C"}, {0xd4f, "Neoverse-V2"},
};

// The first value given to the key in cpuinfo's "key : value" lines, simplified.
std::optional<QString> firstValue(const QByteArray& cpuinfo, QByteArrayView key) {
    for (const QByteArray& line : cpuinfo.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed() == key) {
            const QString value = QString::fromUtf8(line.mid(colon + 1)).simplified();
            if (!value.isEmpty())
                return value;
        }
    }
    return std::nullopt;
}

std::optional<QString> coreName(const QByteArray& cpuinfo) {
    const auto implementer = firstValue(cpuinfo, "CPU implementer");
    const auto part = firstValue(cpuinfo, "CPU part");
    if (!implementer || !part)
        return std::nullopt;
    bool isNumber = false;
    if (implementer->toInt(&isNumber, 0) == 0x41 && isNumber) {
        const int number = part->toInt(&isNumber, 0);
        for (const Core& core : armCores)
            if (isNumber && core.part == number)
                return QString::fromLatin1(core.name);
    }
    return QStringLiteral("CPU implementer %1, part %2").arg(*implementer, *part);
}

QByteArray contents(const QString& path) {
    QFile file(path);
    // The kernel's files say they are empty: they are read to their end, not to their size.
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QString processorModel(const QByteArray& cpuinfo) {
    if (auto name = firstValue(cpuinfo, "model name"))
        return *name;
    if (auto name = coreName(cpuinfo))
        return *name;
    return QStringLiteral("unknown");
}

QString processorName(const QString& root) {
    const QDir base(root);
    // A device tree property is a string with its terminating NUL.
    QByteArray model =
        contents(base.filePath(QStringLiteral("sys/firmware/devicetree/base/model")));
    if (const qsizetype end = model.indexOf('\0'); end >= 0)
        model.truncate(end);
    const QString board = QString::fromUtf8(model).simplified();
    if (!board.isEmpty())
        return board;
    return processorModel(contents(base.filePath(QStringLiteral("proc/cpuinfo"))));
}

namespace {

// The columns of the terminal behind the stream as they are now, 0 where it does not say.
int terminalColumns(std::FILE* terminal) {
    winsize size{};
    return ioctl(fileno(terminal), TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
}

} // namespace

QString durationText(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0)
        return QStringLiteral("?");
    if (seconds >= 59.95)
        seconds = std::round(seconds);
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds, 0, 'f', 1);
    // Hours beyond a day would be an estimate's noise, or a figure too large to be one.
    if (seconds > 86400)
        return QStringLiteral("more than a day");
    const auto whole = static_cast<long long>(seconds);
    if (whole < 3600)
        return QStringLiteral("%1 min %2 s")
            .arg(whole / 60)
            .arg(whole % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1 h %2 min")
        .arg(whole / 3600)
        .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'));
}

QString fittedLine(const QString& text, int columns) {
    return columns > 0 ? text.left(columns - 1) : text;
}

QString progressText(std::int64_t cycle, std::int64_t cycles, double elapsed,
                     std::optional<double> left) {
    QString text = QStringLiteral("cycle %1 of %2, %3 elapsed")
                       .arg(cycle)
                       .arg(cycles)
                       .arg(durationText(elapsed));
    if (left)
        text += QStringLiteral(", %1 left").arg(durationText(*left));
    return text;
}

ProgressLine::ProgressLine(std::FILE* terminal, double callsPerCycle, std::int64_t cycles)
    : terminal_(terminal), callsPerCycle_(callsPerCycle), cycles_(cycles) {}

void ProgressLine::update(std::int64_t cycle, double callsDone) {
    const Clock::time_point now = Clock::now();
    if (now - drawn_ < std::chrono::milliseconds(200))
        return;
    drawn_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    // By the calls where a cycle has any, which tells the time left within a cycle; by the cycles
    // where none has.
    const double total = callsPerCycle_ * static_cast<double>(cycles_);
    std::optional<double> left;
    if (callsPerCycle_ > 0 && callsDone > 0 && std::isfinite(total))
        left = elapsed * (total - callsDone) / callsDone;
    else if (callsPerCycle_ == 0 && cycle > 1)
        left = elapsed * static_cast<double>(cycles_ - cycle + 1) / static_cast<double>(cycle - 1);
    // Back to the line's start, the text cut to the terminal's width as it is now, and the rest of
    // the line and of the screen erased. The cursor then waits at the line's start: a terminal
    // that rewraps its lines when it is made narrower keeps it on the first of the rows the last
    // line became, so that the erase takes all of them.
    const QString line =
        QLatin1Char('\r') +
        fittedLine(progressText(cycle, cycles_, elapsed, left), terminalColumns(terminal_)) +
        QStringLiteral("\x1b[J\r");
    std::fputs(line.toUtf8().constData(), terminal_);
    std::fflush(terminal_);
    shown_ = true;
}

void ProgressLine::clear() {
    if (!shown_)
        return;
    std::fputs("\r\x1b[J", terminal_);
    std::fflush(terminal_);
    shown_ = false;
}

} // namespace tessaly::command_line
