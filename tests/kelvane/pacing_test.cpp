#include "tests/kelvane/kelvane_fixture.h"

#include "platform/forms/runtime.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QImage>
#include <QTimer>

#include <chrono>

namespace kelvane::testing {
namespace {

using namespace std::chrono_literals;

// The system clock, watched: what the picture looked like when each pause began and ended.
class WatchedClock final : public platform::Clock {
  public:
    struct Pause {
        Duration begun; // the last reading before the pause: the start of the step
        Duration deadline;
        Duration woke;
        QImage before;
        QImage after;
    };

    double secondsSinceMidnight() override { return real_.secondsSinceMidnight(); }
    Duration monotonic() override { return lastReading_ = real_.monotonic(); }
    void sleepUntil(Duration deadline) override {
        Pause pause{lastReading_, deadline, {}, picture(), {}};
        real_.sleepUntil(deadline);
        pause.woke = real_.monotonic();
        pause.after = picture();
        pauses.push_back(std::move(pause));
    }

    std::vector<Pause> pauses;

  private:
    static QImage picture() { return platform::ensureInstance<Form2>().picture().copy(); }

    platform::SystemClock real_;
    Duration lastReading_{};
};

using Pacing = KelvaneTest;

TEST_F(Pacing, EveryStepWaitsOutItsPauseBeforeItDraws) {
    WatchedClock watched;
    platform::setClock(&watched);
    display().resize(410, 26); // largest radius 3: three steps

    struct Dispatch {
        platform::Clock::Duration at;
        QImage picture;
    };
    std::vector<Dispatch> dispatches;
    platform::setDispatchHook([&] {
        dispatches.push_back({watched.monotonic(), display().picture().copy()});
    });
    const auto started = watched.monotonic();
    simulate();
    const auto finished = watched.monotonic();

    ASSERT_EQ(watched.pauses.size(), 3u);
    ASSERT_EQ(dispatches.size(), 3u);
    EXPECT_GE(finished - started, 900ms);
    for (std::size_t k = 0; k < 3; ++k) {
        const auto& pause = watched.pauses[k];
        EXPECT_EQ(pause.deadline, pause.begun + 300ms) << k;
        EXPECT_GE(pause.woke - pause.begun, 300ms) << k;
        // Nothing drawn since the step before (or since the display was cleared) ...
        if (k > 0) {
            EXPECT_EQ(pause.before, dispatches[k - 1].picture) << k;
        }
        EXPECT_EQ(pause.after, pause.before) << k;
        // ... and this step's drawing comes after its pause.
        EXPECT_NE(dispatches[k].picture, pause.after) << k;
        EXPECT_GE(dispatches[k].at, pause.woke) << k;
    }
}

// Fake time, but every pause waits a short real while, as a real pause does, so that work from
// outside can arrive during it.
class ShortRealPauses final : public platform::Clock {
  public:
    double secondsSinceMidnight() override { return fake_.secondsSinceMidnight(); }
    Duration monotonic() override { return fake_.monotonic(); }
    void sleepUntil(Duration deadline) override {
        ++pauses;
        if (duringPause)
            duringPause(pauses);
        pausing = true;
        // Longer than the timer of a button pressed through the accessibility interface.
        platform::pauseUntil(std::chrono::steady_clock::now() + 150ms);
        pausing = false;
        fake_.sleepUntil(deadline);
    }

    std::function<void(int)> duringPause;
    int pauses = 0;
    bool pausing = false;

  private:
    platform::FakeClock fake_;
};

// Notes whether a widget was painted during a pause.
class PaintWatch : public QObject {
  public:
    explicit PaintWatch(const ShortRealPauses& clock) : clock_(clock) {}
    bool paintedInPause = false;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && clock_.pausing)
            paintedInPause = true;
        return false;
    }

  private:
    const ShortRealPauses& clock_;
};

TEST_F(Pacing, APauseRepaintsAndRunsTimersButHoldsClicksForTheDispatchPoint) {
    // Pressed through the accessibility interface, as a screen reader presses it, the button
    // clicks on a timer: that click still waits for the dispatch point.
    const auto pressEnd = [this] {
        QAccessibleInterface* end = QAccessible::queryAccessibleInterface(control().Command2);
        end->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    };
    // The frame's close button is the window system's own: it ends the program in the pause.
    const auto closeControl = [this] {
        QTimer::singleShot(50, &control(), [this] { control().close(); });
    };
    struct Row {
        const char* what;
        std::function<void()> duringFirstPause;
        int steps;
        const char* age;
    };
    const Row rows[] = {{"End pressed", pressEnd, 1, " 7.5"},
                        {"Control closed", closeControl, 0, "0"},
                        {"nothing", [] {}, 2, " 15"}};
    for (const Row& row : rows) {
        restart();
        display().resize(410, 24); // two steps
        ShortRealPauses clock;
        platform::setClock(&clock);
        PaintWatch watch(clock);
        control().Tage->installEventFilter(&watch);
        QString ageWhenTimerRan;
        clock.duringPause = [&](int pause) {
            if (pause != 1)
                return;
            QTimer::singleShot(0, [&] { ageWhenTimerRan = control().Tage->text(); });
            control().Tage->update();
            row.duringFirstPause();
        };
        atEveryStep();
        simulate();
        EXPECT_EQ(steps, row.steps) << row.what;
        EXPECT_EQ(control().Tage->text(), QString::fromLatin1(row.age)) << row.what;
        EXPECT_EQ(platform::programEnded(), row.steps < 2) << row.what;
        EXPECT_EQ(ageWhenTimerRan, QStringLiteral("0")) << row.what;
        EXPECT_TRUE(watch.paintedInPause) << row.what;
        EXPECT_TRUE(errors.empty()) << row.what;
        platform::setClock(&this->clock);
    }
}

} // namespace
} // namespace kelvane::testing
