#include "tessaly/command_line/settings.h"

#include "platform/core/errors.h"
#include "platform/core/stack.h"
#include "platform/core/stop_signals.h"
#include "tessaly/command_line/compare.h"
#include "tessaly/command_line/export.h"
#include "tessaly/command_line/plot.h"
#include "tessaly/command_line/report.h"
#include "tessaly/fibonacci.h"

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
    // The recursion's stack bound is found at its first use, from the system's map of the
    // process, which takes longer than a small index's whole cycle: not inside one.
    platform::stackLimit();
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

// The progress line of a run, on a terminal only, which the yield reaches while it lives.
class AttachedProgress {
  public:
    AttachedProgress(const Settings& settings, const Outcome& outcome) {
        if (settings.progress && isatty(STDERR_FILENO))
            line_ =
                std::make_unique<ProgressLine>(stderr, static_cast<double>(outcome.callsPerCycle),
                                               outcome.warmup + outcome.cycles);
        live.progress = line_.get();
    }
    ~AttachedProgress() { live.progress = nullptr; }
    AttachedProgress(const AttachedProgress&) = delete;
    AttachedProgress& operator=(const AttachedProgress&) = delete;

  private:
    std::unique_ptr<ProgressLine> line_;
};

// The files, once the figures are printed: a failed one is said on its own line and makes the
// status 1, but takes nothing from the figures, which are printed whatever happens to them.
int writeFiles(const QString& program, const Settings& settings, bool anyDone,
               const Figures& figures) {
    if (settings.plot.isEmpty() && settings.exportCsv.isEmpty() &&
        settings.exportMarkdown.isEmpty())
        return 0;
    if (!anyDone)
        return platform::runFailure(program, QStringLiteral("nothing finished: no file written"));
    int status = 0;
    for (const QString& problem : writeFigures(settings, figures))
        status = platform::runFailure(program, problem);
    return status;
}

// Every index of the range with the same cycles, smallest first, a row each as it finishes;
// the cycles of an index that a signal cut short are left out, as the indices after it.
std::vector<Outcome> runScan(const Settings& settings) {
    const IndexRange& range = *settings.range;
    std::vector<Outcome> rows;
    print(scanHeader(range));
    std::fflush(stdout);
    for (int index = range.first; index <= range.last; ++index) {
        Outcome outcome;
        outcome.index = index;
        outcome.indexText = QString::number(index);
        outcome.cycles = settings.cycles;
        outcome.warmup = settings.warmup;
        outcome.callsPerCycle = countedCalls(index).value_or(0);
        {
            const AttachedProgress progress(settings, outcome);
            runCycles(outcome, false);
        }
        if (std::int64_t(outcome.seconds.size()) == outcome.cycles) {
            rows.push_back(outcome);
            print(scanRow(range, outcome));
            std::fflush(stdout);
        }
        if (outcome.cancelled)
            break;
    }
    return rows;
}

// Whether the results reached the standard output: a full disk or a closed pipe must not pass
// for a run whose figures were kept.
int checkOutput(const QString& program) {
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
    QByteArray text;
    if (settings.json)
        text = baseline ? comparisonJson(*baseline, subject, saved->outcome, saved->version,
                                         saved->processor)
                        : jsonReport(saved->outcome, saved->version, saved->processor);
    else
        text = (summaryText(saved->outcome) +
                (baseline ? comparisonText(*baseline, subject, saved->outcome, saved->version,
                                           saved->processor)
                          : QString()))
                   .toUtf8();
    std::fputs(text.constData(), stdout);
    const int output = checkOutput(program);
    const int files =
        writeFiles(program, settings, !saved->outcome.seconds.empty(),
                   {[&](QPainter& painter) { drawCyclesPlot(painter, saved->outcome); },
                    [&] { return cyclesCsv(saved->outcome); },
                    [&] { return cyclesMarkdown(saved->outcome); }});
    return output != 0 ? output : files;
}

int scanMode(const QString& program, const Settings& settings) {
    const platform::StopSignals stopSignals;
    const std::vector<Outcome> rows = runScan(settings);
    const bool cancelled = platform::StopSignals::caught() != 0;
    const std::optional<Growth> growth = scanGrowth(rows);
    print(scanSummary(*settings.range, rows, cancelled));
    const int output = checkOutput(program);
    const int files =
        writeFiles(program, settings, !rows.empty(),
                   {[&](QPainter& painter) { drawScanPlot(painter, rows, growth); },
                    [&] { return scanCsv(rows); }, [&] { return scanMarkdown(rows); }});
    if (cancelled)
        return platform::StopSignals::exitStatus(platform::StopSignals::caught());
    return output != 0 ? output : files;
}

} // namespace

int commandLineMode(const platform::ProgramArguments& arguments) {
    QString problem;
    const std::optional<Settings> settings = readSettings(arguments, problem);
    if (!settings)
        return platform::usageError(arguments.program, problem);
    if (const QString refused = refusedFile(*settings); !refused.isEmpty())
        return platform::runFailure(arguments.program, refused);
    // Made before the run, so that a plot cannot fail for want of one after a long run.
    const std::unique_ptr<QGuiApplication> application =
        settings->plot.isEmpty() ? nullptr : plotApplication(arguments.program);
    // The baseline is read before the run, so that a run of many minutes is not made in vain.
    std::optional<SavedRun> baseline;
    if (!settings->compare.isEmpty()) {
        baseline = readSavedRun(settings->compare, problem);
        if (!baseline)
            return refused(arguments.program, problem);
    }
    if (!settings->saved.isEmpty())
        return savedMode(arguments.program, *settings, baseline);
    if (settings->range)
        return scanMode(arguments.program, *settings);
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
    std::optional<AttachedProgress> progress(std::in_place, *settings, outcome);
    try {
        runCycles(outcome, !settings->json);
    } catch (const platform::RuntimeError& error) {
        // The one error of a run: a number past 64 bits, refused before the first call, which
        // names the index it was asked for.
        const std::optional<double> index = error.cause().value;
        if (error.kind() != platform::ErrorKind::Overflow || !index)
            throw;
        return platform::runFailure(arguments.program, beyond64BitsWords(*index));
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
    std::fputs(text.constData(), stdout);
    const int output = checkOutput(arguments.program);
    const int files =
        writeFiles(arguments.program, *settings, !outcome.seconds.empty(),
                   {[&](QPainter& painter) { drawCyclesPlot(painter, outcome); },
                    [&] { return cyclesCsv(outcome); }, [&] { return cyclesMarkdown(outcome); }});
    if (outcome.cancelled)
        return platform::StopSignals::exitStatus(platform::StopSignals::caught());
    return output != 0 ? output : files;
}

} // namespace tessaly::command_line
