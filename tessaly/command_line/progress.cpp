#include "tessaly/command_line/progress.h"

#include <algorithm>
#include <cmath>

namespace tessaly::command_line {

QString durationText(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0)
        return QStringLiteral("?");
    if (seconds >= 59.95)
        seconds = std::round(seconds);
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds, 0, 'f', 1);
    const auto whole = static_cast<long long>(std::min(seconds, 1e15));
    if (whole < 3600)
        return QStringLiteral("%1 min %2 s")
            .arg(whole / 60)
            .arg(whole % 60, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1 h %2 min")
        .arg(whole / 3600)
        .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'));
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
    // Back to the line's start, the text, and the rest of the line erased.
    const QString line =
        QLatin1Char('\r') + progressText(cycle, cycles_, elapsed, left) + QStringLiteral("\x1b[K");
    std::fputs(line.toUtf8().constData(), terminal_);
    std::fflush(terminal_);
    shown_ = true;
}

void ProgressLine::clear() {
    if (!shown_)
        return;
    std::fputs("\r\x1b[K", terminal_);
    std::fflush(terminal_);
    shown_ = false;
}

} // namespace tessaly::command_line
