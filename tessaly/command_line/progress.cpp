#include "tessaly/command_line/progress.h"

#include <cmath>

#include <sys/ioctl.h>

namespace tessaly::command_line {
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
