#include "kelvane_fixture.h"

#include <QImage>

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

} // namespace
} // namespace kelvane::testing
