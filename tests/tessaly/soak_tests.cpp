#include "tests/tessaly/tessaly_fixture.h"

#include <random>

namespace tessaly::testing {
namespace {

using Soak = TessalyTest;

// Many short program lives in which a user clicks "Start", the second button and the frame's
// close button, and types new texts, at random dispatch points: inside runs, inside the
// recursion, inside runs nested in runs. Whatever happens, the window stays in one of its
// states, nothing escapes a handler, and the program ends only through End, the close button
// or a reported run-time error.
TEST_F(Soak, RandomClicksAtRandomMoments) {
    std::mt19937 random(20261207);
    auto chance = [&](int percent) {
        return std::uniform_int_distribution<int>(0, 99)(random) < percent;
    };
    auto pick = [&](const std::vector<QString>& texts) {
        return texts[std::uniform_int_distribution<std::size_t>(0, texts.size() - 1)(random)];
    };
    // Small indices and counts; now and then one that ends in a run-time error.
    auto type = [&] {
        form().NText->setText(chance(3)
                                  ? QStringLiteral("1e17")
                                  : pick({"0", "1", "2", "2.5", "-3", "7", "12", "16", "20"}));
        form().nT->setText(chance(2) ? QStringLiteral("1e10")
                                     : pick({"1", "2", "3", "0", "abc", "1.5"}));
    };

    int endedByEnd = 0, endedByClose = 0, endedByError = 0, nested = 0;
    for (int life = 0; life < 3000 / platform::testing::soakShare; ++life) {
        TearDown();
        SetUp();
        bool endClicked = false, closed = false;
        int depth = 0; // of the runs under way
        atDispatch([&](int) {
            ASSERT_TRUE(inStateTable()) << qPrintable(caption()) << " cancel " << form().cancel;
            if (chance(3) && !form().StartSyncCommand->isHidden()) {
                nested += depth > 0;
                ++depth;
                click(form().StartSyncCommand);
                --depth;
            } else if (chance(4)) {
                endClicked = endClicked || caption() == QStringLiteral("End");
                click(form().EndSyncCommand);
            } else if (chance(1)) {
                closed = true;
                form().close();
            } else if (chance(3)) {
                type();
            }
        });
        for (int run = 0; run < 4 && !platform::programEnded(); ++run) {
            type();
            if (chance(5)) {
                endClicked = true;
                click(form().EndSyncCommand);
                break;
            }
            depth = 1;
            click(form().StartSyncCommand);
            if (!platform::programEnded()) {
                EXPECT_EQ(caption(), QStringLiteral("End"));
                EXPECT_FALSE(form().StartSyncCommand->isHidden());
            }
        }
        if (platform::programEnded()) {
            EXPECT_TRUE(endClicked || closed || !errors.empty());
            EXPECT_EQ(platform::exitStatus(), errors.empty() ? 0 : 1);
            EXPECT_LE(errors.size(), 1u);
            EXPECT_FALSE(form().isVisible());
            endedByError += !errors.empty();
            endedByClose += errors.empty() && closed;
            endedByEnd += errors.empty() && !closed;
        } else {
            EXPECT_FALSE(endClicked || closed);
            EXPECT_TRUE(errors.empty());
        }
        if (HasFatalFailure())
            return;
    }
    // The mix has to have exercised every way out, and nesting.
    EXPECT_GT(endedByEnd, 50 / platform::testing::soakShare);
    EXPECT_GT(endedByClose, 10 / platform::testing::soakShare);
    EXPECT_GT(endedByError, 50 / platform::testing::soakShare);
    EXPECT_GT(nested, 50 / platform::testing::soakShare);
}

} // namespace
} // namespace tessaly::testing
