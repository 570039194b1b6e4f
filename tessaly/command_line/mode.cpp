#include "tessaly/command_line/mode.h"

#include "platform/core/errors.h"
#include "platform/core/stop_signals.h"
#include "tessaly/command_line/compare.h"
#include "tessaly/command_line/processor.h"
#include "tessaly/command_line/progress.h"
#include "tessaly/command_line/report.h"
#include "tessaly/command_line/settings.h"
#include "tessaly/fibonacci.h"
#include "tessaly/limit_words.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include <unistd.h>

namespace tessaly::command_line {
namespace {

// What the yield reaches: a plain function cannot carry it.
struct Live {
    std::int16_t cancel = 0;
    CallCount count;
    ProgressLine* progress = nullptr;
    std::int64_t cycle = 0;
    unsigned yields = 0;
};
Live live;

// Every CallCount::pace counted calls, as the window's dispatch: a signal becomes the cancel the
// recursion tests, and every sixteenth time the progress line may be redrawn.
void yieldToSignals() {
    if (platform::StopSignals::caught() != 0)
        live.cancel = 1;
    if (live.progress && ++live.yields % 16 == 0)
        live.progress->update(live.cycle, static_cast<double>(live.count));
}

void print(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
}

// The cycles, each timed alone; stops at a signal, keeping the cycles that finished.
void runCycles(Outcome& outcome, bool printCycles) {
    using Clock = std::chrono::steady_clock;
    live.cancel = 0;
    live.count = 0;
    live.yields = 0;
    // The warm-up's cycles come first, numbered up to 0; the progress line counts them all.
    for (std::int64_t cycle = 1 - outcome.warmup; cycle <= outcome.cycles; ++cycle) {
        live.cycle = cycle + outcome.warmup;
        if (platform::StopSignals::caught() != 0)
            break;
        const Clock::time_point start = Clock::now();
        const std::int64_t sum =
            countedFibonacci(outcome.index, live.cancel, live.count, yieldToSignals);
        const Clock::time_point end = Clock::now();
        if (live.cancel != 0)
            break;
        if (cycle < 1) {
            if (live.progress)
                live.progress->update(live.cycle + 1, static_cast<double>(live.count));
            continue;
        }
        outcome.result = sum;
        outcome.seconds.push_back(std::chrono::duration<double>(end - start).count());
        if (printCycles) {
            if (live.progress)
                live.progress->clear();
            print(cycleLine(cycle, outcome.cycles, outcome.seconds.back()));
        }
        if (live.progress)
            live.progress->update(live.cycle + 1, static_cast<double>(live.count));
    }
    outcome.cancelled = platform::StopSignals::caught() != 0;
}

// A saved run the command line names and cannot use: one line, and the usage error's status.
int refused(const QString& program, const QString& problem) {
    std::fputs((program + QStringLiteral(": ") + problem + QLatin1Char('\n')).toUtf8().constData(),
               stderr);
    return 2;
}

// The results on the standard output; 1 where they cannot be written there.
int printed(const QString& program, const QByteArray& text) {
    std::fputs(text.constData(), stdout);
    // A full disk or a closed pipe must not pass for a run whose figures were kept.
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
        return platform::runFailure(program,
                                    QStringLiteral("cannot write the results: %1")
                                        .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return 0;
}

// A saved run in place of one: printed as it was, or compared with the baseline.
int savedMode(const QString& program, const Settings& settings,
              const std::optional<SavedRun>& baseline) {
    QString problem;
    const std::optional<SavedRun> saved = readSavedRun(settings.saved, problem);
    if (!saved)
        return refused(program, problem);
    if (baseline && !(problem = comparableProblem(*baseline, saved->outcome.index)).isEmpty())
        return refused(program, problem);
    const QString subject = platform::printable(saved->name);
    if (settings.json)
        return printed(program, baseline
                                    ? comparisonJson(*baseline, subject, saved->outcome,
                                                     saved->version, saved->processor)
                                    : jsonReport(saved->outcome, saved->version, saved->processor));
    QString text = summaryText(saved->outcome);
    if (baseline)
        text +=
            comparisonText(*baseline, subject, saved->outcome, saved->version, saved->processor);
    return printed(program, text.toUtf8());
}

} // namespace

int commandLineMode(const platform::ProgramArguments& arguments) {
    QString problem;
    const std::optional<Settings> settings = readSettings(arguments, problem);
    if (!settings)
        return platform::usageError(arguments.program, problem);
    // The baseline is read before the run, so that a run of many minutes is not made in vain.
    std::optional<SavedRun> baseline;
    if (!settings->compare.isEmpty()) {
        baseline = readSavedRun(settings->compare, problem);
        if (!baseline)
            return refused(arguments.program, problem);
    }
    if (!settings->saved.isEmpty())
        return savedMode(arguments.program, *settings, baseline);
    if (!settings->index)
        return platform::runFailure(arguments.program, unreadableIndexWords(settings->indexText));
    if (baseline && !(problem = comparableProblem(*baseline, *settings->index)).isEmpty())
        return refused(arguments.program, problem);

    Outcome outcome;
    outcome.index = *settings->index;
    outcome.indexText = settings->indexText;
    outcome.cycles = settings->cycles;
    outcome.warmup = settings->warmup;
    // Unknown only past 64 bits, where the run is refused before its first call.
    outcome.callsPerCycle = countedCalls(outcome.index).value_or(0);

    const platform::StopSignals stopSignals;
    std::unique_ptr<ProgressLine> progress;
    if (settings->progress && isatty(STDERR_FILENO))
        progress = std::make_unique<ProgressLine>(
            stderr, static_cast<double>(outcome.callsPerCycle), outcome.warmup + outcome.cycles);
    live.progress = progress.get();
    struct Detach {
        ~Detach() { live.progress = nullptr; }
    } detach;
    try {
        runCycles(outcome, !settings->json);
    } catch (const platform::RuntimeError& error) {
        // The one error of a run: a number past 64 bits, refused before the first call.
        if (error.kind() != platform::ErrorKind::Overflow || !beyond64Bits(outcome.index))
            throw;
        return platform::runFailure(arguments.program, beyond64BitsWords(outcome.index));
    }
    progress.reset();

    const QString version = QString::fromLatin1(platform::programVersion);
    QByteArray text;
    if (settings->json)
        text = baseline ? comparisonJson(*baseline, QStringLiteral("this run"), outcome, version,
                                         processorName())
                        : jsonReport(outcome, version, processorName());
    else
        text = summaryText(outcome).toUtf8();
    // Nothing to compare where no cycle finished.
    if (baseline && !settings->json && !outcome.seconds.empty())
        text +=
            comparisonText(*baseline, QStringLiteral("this run"), outcome, version, processorName())
                .toUtf8();
    if (const int status = printed(arguments.program, text); status != 0)
        return status;
    return outcome.cancelled ? platform::StopSignals::exitStatus(platform::StopSignals::caught())
                             : 0;
}

} // namespace tessaly::command_line
