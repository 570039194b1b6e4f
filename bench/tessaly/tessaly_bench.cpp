// The window's recursion against a bare double recursion, the inlining of its levels forbidden
// and allowed, what a dispatch point costs when nothing waits, how long an event posted during a
// run waits for one, and how long a cancel takes.
//
//   build/bin/tessaly_bench
//   QT_QPA_PLATFORM=xcb DISPLAY=:1 build/bin/tessaly_bench --benchmark_filter=Dispatch
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "platform/forms/runtime.h"
#include "tessaly/fibonacci.h"
#include "tessaly/form1.h"

#include <QApplication>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

// The yardstick: a whole-number index, no count, no cancel test, no dispatch.
[[gnu::noinline]] std::int64_t plainFibonacci(std::int64_t n) {
    return n < 2 ? n : plainFibonacci(n - 1) + plainFibonacci(n - 2);
}

} // namespace

// The second yardstick, in textbook_fibonacci.cpp: the same recursion with nothing forbidden.
std::int64_t textbookFibonacci(int n);

namespace {

// Every index the benchmarks run has a number within 64 bits, and with it a count.
double countedCalls(std::int64_t n) {
    return static_cast<double>(tessaly::countedCalls(static_cast<double>(n)).value());
}

tessaly::Form1& window() {
    auto& form = platform::ensureInstance<tessaly::Form1>();
    if (!form.isVisible())
        form.show();
    return form;
}

// Counted calls per second, so that both recursions compare on the work they do.
void reportCalls(benchmark::State& state, std::int64_t result) {
    state.counters["calls_per_s"] = benchmark::Counter(
        countedCalls(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
    state.SetLabel("F = " + std::to_string(result));
}

// The window's own recursion, as Start calls it, for an index that may be fractional; no window
// is needed for it.
void timeProgram(benchmark::State& state, double n) {
    const std::int16_t cancel = 0;
    tessaly::CallCount count;
    std::int64_t result = 0;
    for (auto _ : state) {
        count = 0;
        result = tessaly::countedFibonacci(n, cancel, count, platform::dispatchEvents);
        benchmark::DoNotOptimize(result);
    }
    reportCalls(state, result);
}

void ProgramFibonacci(benchmark::State& state) {
    timeProgram(state, static_cast<double>(state.range(0)));
}

// A fractional index keeps the floating-point path: k + 0.5 makes the calls of the whole k + 1.
void ProgramFibonacciHalf(benchmark::State& state) {
    timeProgram(state, static_cast<double>(state.range(0)) - 0.5);
}

void PlainFibonacci(benchmark::State& state) {
    const std::int64_t n = state.range(0);
    std::int64_t result = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(n);
        result = plainFibonacci(n);
        benchmark::DoNotOptimize(result);
    }
    reportCalls(state, result);
}

void TextbookFibonacci(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    std::int64_t result = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(n);
        result = textbookFibonacci(n);
        benchmark::DoNotOptimize(result);
    }
    reportCalls(state, result);
}

// A dispatch point where nothing waits, the window shown: what the recursion pays at every
// 10000th counted call.
void DispatchPointIdle(benchmark::State& state) {
    window();
    // Whatever showing the window left waiting is done first.
    QTest::qWait(100);
    for (auto _ : state)
        platform::dispatchEvents();
    state.SetItemsProcessed(state.iterations());
}

// From an event posted by another thread, as the window system's reader and the accessibility
// bus post theirs, to its handler running at a dispatch point inside a run of index 45; the
// handler cancels the run. The moments of posting are spread over a few milliseconds. The median
// and the longest wait are the figures: on a busy machine the poster itself may be put aside
// between reading the clock and posting.
void DispatchPostedEventLatency(benchmark::State& state) {
    window();
    std::vector<double> waits; // microseconds
    for (auto _ : state) {
        std::int16_t cancel = 0;
        tessaly::CallCount count;
        std::chrono::steady_clock::time_point posted, handled;
        const auto delay = std::chrono::microseconds(1000 + (waits.size() * 370) % 3000);
        std::thread poster([&] {
            std::this_thread::sleep_for(delay);
            posted = std::chrono::steady_clock::now();
            QMetaObject::invokeMethod(
                qApp,
                [&] {
                    handled = std::chrono::steady_clock::now();
                    cancel = 1;
                },
                Qt::QueuedConnection);
        });
        tessaly::countedFibonacci(45, cancel, count, platform::dispatchEvents);
        poster.join();
        if (cancel == 0) {
            state.SkipWithError("the run ended before the event was handled");
            break;
        }
        const std::chrono::duration<double, std::micro> wait = handled - posted;
        waits.push_back(wait.count());
        state.SetIterationTime(wait.count() / 1e6);
    }
    if (waits.empty())
        return;
    std::sort(waits.begin(), waits.end());
    state.counters["median_us"] = waits[waits.size() / 2];
    state.counters["longest_us"] = waits.back();
}

// From the Cancel click being handled, inside a run of index 45, to the Start handler having
// returned: the run has left.
void CancelLatency(benchmark::State& state) {
    auto& form = window();
    form.NText->setText(QStringLiteral("45"));
    form.nT->setText(QStringLiteral("1"));
    for (auto _ : state) {
        int dispatches = 0;
        std::chrono::steady_clock::time_point clicked;
        platform::setDispatchHook([&] {
            // Well inside the recursion: after a million counted calls.
            if (++dispatches == 101) {
                QTest::mouseClick(form.EndSyncCommand, Qt::LeftButton);
                clicked = std::chrono::steady_clock::now();
            }
        });
        QTest::mouseClick(form.StartSyncCommand, Qt::LeftButton);
        const auto idle = std::chrono::steady_clock::now();
        platform::setDispatchHook(nullptr);
        // "Canceled" stays a double click's time before "Start" comes back for the next round.
        const bool settled =
            QTest::qWaitFor([&] { return form.EndSyncCommand->text() == QStringLiteral("End"); });
        if (!settled || dispatches < 101) {
            state.SkipWithError("the run was not cancelled");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(idle - clicked).count());
    }
}

double fastest(const std::vector<double>& times) {
    return *std::min_element(times.begin(), times.end());
}

// Repeated, interleaved and compared by their fastest run: the machine is shared, and a busy
// moment only ever makes a run slower.
void sideBySide(benchmark::internal::Benchmark* b) {
    b->Arg(30)
        ->Arg(40)
        ->Repetitions(5)
        ->ComputeStatistics("min", fastest)
        ->ReportAggregatesOnly(true)
        ->Unit(benchmark::kMillisecond);
}
BENCHMARK(ProgramFibonacci)->Apply(sideBySide);
BENCHMARK(PlainFibonacci)->Apply(sideBySide);
BENCHMARK(TextbookFibonacci)->Apply(sideBySide);
BENCHMARK(ProgramFibonacciHalf)->Apply(sideBySide);
BENCHMARK(DispatchPointIdle)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kNanosecond);
BENCHMARK(DispatchPostedEventLatency)
    ->UseManualTime()
    ->Iterations(40)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(CancelLatency)->UseManualTime()->Iterations(20)->Unit(benchmark::kMicrosecond);

// Prints as usual and keeps the times, for the ratio at the end.
class Reporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.aggregate_name == "min")
                fastest[run.run_name.function_name + "/" + run.run_name.args] =
                    run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
    std::map<std::string, double> fastest; // seconds
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Interleaved unless asked otherwise; flags given on the command line come later and win.
    std::vector<char*> arguments(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const int index : {30, 40}) {
        const auto own = reporter.fastest.find("ProgramFibonacci/" + std::to_string(index));
        const auto plain = reporter.fastest.find("PlainFibonacci/" + std::to_string(index));
        if (own == reporter.fastest.end() || plain == reporter.fastest.end())
            continue;
        const auto half = reporter.fastest.find("ProgramFibonacciHalf/" + std::to_string(index));
        if (half != reporter.fastest.end())
            std::printf("index %d, less a half: %.2f of the plain index %d\n", index,
                        half->second / plain->second, index);
        const double calls = countedCalls(index);
        std::printf("index %d: window %.1f M calls/s, plain %.1f M calls/s, ratio %.2f\n", index,
                    calls / own->second / 1e6, calls / plain->second / 1e6,
                    own->second / plain->second);
        const auto textbook = reporter.fastest.find("TextbookFibonacci/" + std::to_string(index));
        if (textbook != reporter.fastest.end())
            std::printf("index %d: window %.1f M calls/s, textbook %.1f M calls/s, ratio %.2f\n",
                        index, calls / own->second / 1e6, calls / textbook->second / 1e6,
                        own->second / textbook->second);
    }
    benchmark::Shutdown();
    platform::resetProgram();
    return 0;
}
