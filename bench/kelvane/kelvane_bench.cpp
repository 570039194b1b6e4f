// What one step of the animation costs: its drawing into the retained picture and the repaint of
// the display window, on the offscreen platform. The pause of 0.3 s is not part of it.
#include "kelvane/engine/module1.h"
#include "kelvane/engine/run_step.h"
#include "kelvane/forms/form2.h"
#include "platform/forms/runtime.h"

#include <QApplication>
#include <QEvent>

#include <benchmark/benchmark.h>

#include <cmath>

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

// The state a design-size run has after its set-up: 410 x 364 pixels, factor 1.
Module1::detail::Run designRun(bool evenlySpread) {
    auto& display = platform::ensureInstance<Form2>();
    display.show();
    display.cls();
    Module1::SetupParameters();
    for (double j = 0; j <= 150; ++j) {
        Module1::Angle(j) = evenlySpread ? j / 150 * 6.283185307178 : j * 2.399963;
        Module1::PosX(j) = std::fmod(j * 37.0, 410.0);
        Module1::PosY(j) = std::fmod(j * 53.0, 364.0);
        Module1::Speed(j) = j * 0.99 / 150 + 0.01;
    }
    Module1::detail::Run run;
    run.ExpansionFactor = 1;
    run.CentreX = Module1::ExtentWidth / 2;
    run.CentreY = Module1::ExtentHeight / 2;
    run.MaxRadius = run.CentreY - 10;
    run.AgeScale = run.MaxRadius / 15;
    return run;
}

template <void (*Step)(Module1::detail::Run&, Form2&)>
void oneStep(benchmark::State& state, bool evenlySpread) {
    Module1::detail::Run run = designRun(evenlySpread);
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
    oneStep<Module1::detail::DynamicStep>(state, state.range(0) != 0);
}
BENCHMARK(DynamicStep)->Arg(1)->Arg(0)->ArgName("evenly")->Unit(benchmark::kMicrosecond);

void StaticStep(benchmark::State& state) {
    oneStep<Module1::detail::StaticStep>(state, false);
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
