// What one step of the animation costs: its drawing into the retained picture and the repaint of
// the display window, on the offscreen platform. The pause of 0.3 s is not part of it.
#include "kelvane/engine/module1.h"
#include "kelvane/forms/form1.h"
#include "kelvane/forms/form2.h"
#include "platform/forms/runtime.h"

#include <QApplication>
#include <QEvent>

#include <benchmark/benchmark.h>

namespace {

using namespace kelvane;

// Counts the repaints, so that a step that stopped repainting shows in the figures.
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return QObject::eventFilter(watched, event);
    }
};

// The state a design-size run has after its own set-up: 410 x 364 pixels, factor 1.
bool designRun(Module1::detail::Run& run, bool dynamic, bool evenlySpread) {
    auto& control = platform::ensureInstance<Form1>();
    control.Tnc->setText(QStringLiteral("1"));
    control.TDynamic->setText(dynamic ? QStringLiteral("Yes") : QStringLiteral("No"));
    control.TRandom->setText(evenlySpread ? QStringLiteral("No") : QStringLiteral("Yes"));
    auto& display = platform::ensureInstance<Form2>();
    display.show();
    // The steps are timed without their pauses and dispatch points.
    return Module1::detail::SetupRun(run, {control, display, platform::activeClock(), {}, {}});
}

template <void (*Step)(Module1::detail::Run&, Module1::DisplayWindow&)>
void oneStep(benchmark::State& state, bool dynamic, bool evenlySpread) {
    Module1::detail::Run run;
    if (!designRun(run, dynamic, evenlySpread)) {
        state.SkipWithError("the set-up refused a factor of 1");
        return;
    }
    auto& display = platform::ensureInstance<Form2>();
    PaintCounter counter;
    display.installEventFilter(&counter);
    QCoreApplication::processEvents();
    counter.paints = 0;
    for (auto _ : state) {
        run.Age = run.Radius / run.AgeScale;
        Step(run, display);
        QCoreApplication::processEvents(); // the repaint
        run.Radius = run.Radius >= run.MaxRadius ? 1 : run.Radius + 1;
    }
    display.removeEventFilter(&counter);
    state.counters["paints/step"] =
        benchmark::Counter(counter.paints, benchmark::Counter::kAvgIterations);
}

void DynamicStep(benchmark::State& state) {
    oneStep<Module1::detail::DynamicStep>(state, true, state.range(0) != 0);
}
BENCHMARK(DynamicStep)->Arg(1)->Arg(0)->ArgName("evenly")->Unit(benchmark::kMicrosecond);

void StaticStep(benchmark::State& state) {
    oneStep<Module1::detail::StaticStep>(state, false, false);
}
BENCHMARK(StaticStep)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    platform::resetProgram();
    return 0;
}
