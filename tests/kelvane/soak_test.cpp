#include "tests/kelvane/kelvane_fixture.h"

#include <QRegularExpression>

#include <random>

namespace kelvane::testing {
namespace {

using platform::Colour;

// Clicks on every button and toggle, typing, moving and closing windows, at random dispatch
// points of runs and while idle, over many program starts with a fixed seed.
class ReentrySoak : public KelvaneTest {
  protected:
    std::mt19937 rng{20261207u};

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    template <class T> const T& pick(const std::vector<T>& values) {
        return values[static_cast<std::size_t>(below(static_cast<int>(values.size())))];
    }

    // What this program start has done to end itself, and what it typed.
    bool endedByUser = false;
    bool typedOverflow = false;
    bool typedNonPositive = false;
    int depth = 0;
    int nested = 0; // runs started inside another, over all program starts

    void act(bool inRun) {
        static const std::vector<QString> factors = {"1",  "2.5", "0.3", "12",   "0",
                                                     "-1", "abc", "",    "1e309"};
        switch (below(10)) {
        case 0:
        case 1:
            if (depth < 3) { // "Simulate": inside a run, a run nested in it
                nested += inRun;
                ++depth;
                simulate();
                --depth;
            }
            break;
        case 2:
            click(control().TDynamic);
            break;
        case 3:
            click(control().TRandom);
            break;
        case 4: {
            const QString& factor = pick(factors);
            typedOverflow |= factor == "1e309";
            typedNonPositive |= factor == "0" || factor == "-1" || factor == "abc" || factor == "";
            control().Tnc->setText(factor);
            break;
        }
        case 5:
            if (below(inRun ? 4 : 8) == 0) {
                endedByUser = true;
                click(control().Command2); // "End"
            }
            break;
        case 6:
            if (below(inRun ? 4 : 8) == 0) {
                endedByUser = true;
                control().close(); // the frame's close button
            }
            break;
        case 7:
            if (platform::hasInstance<Form2>())
                display().close(); // only hides it
            break;
        case 8:
            control().move(below(600), below(400));
            break;
        case 9:
            display().resize(410, pick(std::vector<int>{21, 26, 40, 70}));
            break;
        }
    }

    // The states the windows may be in while the program lives.
    void checkWindows(const platform::Colour plain, const std::vector<Colour>& ramp) {
        static const QRegularExpression age(QStringLiteral("^(0| [0-9]+(\\.[0-9][0-9]?)?)$"));
        ASSERT_TRUE(control().isVisible());
        const QString text = control().Tage->text();
        ASSERT_TRUE(age.match(text).hasMatch()) << text.toStdString();
        ASSERT_LE(text.toDouble(), 15.0);
        for (platform::TextBox* toggle : {control().TDynamic, control().TRandom})
            ASSERT_TRUE(toggle->text() == "Yes" || toggle->text() == "No");
        ASSERT_EQ(platform::backColor(&control().Label3(0)), plain);
        for (int i = 1; i <= 15; ++i) {
            const Colour c = platform::backColor(&control().Label3(i));
            ASSERT_TRUE(c == plain || c == ramp[static_cast<std::size_t>(i)]) << i;
        }
    }
};

TEST_F(ReentrySoak, ClicksAtRandomDispatchPointsEndOnlyWhereTheyMay) {
    std::vector<Colour> ramp(16);
    for (int i = 1; i <= 15; ++i)
        Module1::SpectrumColour(15, i, ramp[static_cast<std::size_t>(i)]);
    int ended = 0;
    int errorsSeen = 0;
    int messagesSeen = 0;
    int totalDispatches = 0;

    for (int start = 0; start < 1500 / platform::testing::soakShare; ++start) {
        restart();
        endedByUser = typedOverflow = typedNonPositive = false;
        const platform::Colour plain = platform::backColor(&control().Label3(0));
        display().resize(410, pick(std::vector<int>{21, 26, 30, 40, 60, 364}));

        atEveryStep([&](int) {
            ASSERT_FALSE(platform::programEnded()) << "a run went on after the end";
            checkWindows(plain, ramp);
            if (below(12) == 0)
                act(true);
        });
        EXPECT_NO_THROW({
            for (int idle = 0; idle < 12 && !platform::programEnded(); ++idle)
                act(false);
        });
        platform::setDispatchHook(nullptr);
        totalDispatches += steps;

        const std::string seed = "program start " + std::to_string(start);
        EXPECT_EQ(depth, 0) << seed;
        if (platform::programEnded()) {
            ++ended;
            // Only End, the close button or a reported run-time error end the program.
            EXPECT_TRUE(endedByUser || !errors.empty()) << seed;
            EXPECT_EQ(platform::exitStatus(), errors.empty() ? 0 : 1) << seed;
            EXPECT_FALSE(control().isVisible()) << seed;
            EXPECT_FALSE(display().isVisible()) << seed;
        } else {
            checkWindows(plain, ramp);
            EXPECT_FALSE(endedByUser) << seed;
        }
        // The only run-time error these inputs can give is the overflow of a typed 1e309.
        EXPECT_LE(errors.size(), 1u) << seed;
        for (auto kind : errors) {
            EXPECT_EQ(kind, platform::ErrorKind::Overflow) << seed;
            EXPECT_TRUE(typedOverflow) << seed;
        }
        EXPECT_TRUE(messages.empty() || typedNonPositive) << seed;
        errorsSeen += static_cast<int>(errors.size());
        messagesSeen += static_cast<int>(messages.size());
    }
    // The seed exercises every way out and every kind of outcome.
    EXPECT_GT(ended, 10 / platform::testing::soakShare);
    EXPECT_GT(errorsSeen, 0);
    EXPECT_GT(messagesSeen, 0);
    EXPECT_GT(totalDispatches, 10000 / platform::testing::soakShare);
    EXPECT_GT(nested, 100 / platform::testing::soakShare);
    std::printf("%d program starts ended, %d errors, %d messages, %d dispatches, %d nested runs\n",
                ended, errorsSeen, messagesSeen, totalDispatches, nested);
}

} // namespace
} // namespace kelvane::testing
