#include "tests/kelvane/kelvane_fixture.h"

#include "platform/core/random.h"

#include <QImage>

#include <cmath>
#include <set>

namespace kelvane::testing {
namespace {

const QRgb blue = rgb(0, 0, 128); // palette 1: the ring of the current step
const QRgb white = rgb(255, 255, 255);

// At 410 x 364 pixels: centre (205, 182), largest radius 172.
constexpr int cx = 205;
constexpr int cy = 182;

using ExpansionRun = KelvaneTest;

// With "Random" at "No" the directions and speeds are spread evenly. The run starts 10 s before
// midnight: the day turns during it, and every pause still ends.
TEST_F(ExpansionRun, DesignSizeRunFromStartToEnd) {
    platform::FakeClock lateEvening(86400.0 - 10.0);
    platform::setClock(&lateEvening);
    control().TRandom->setText(QStringLiteral("No"));
    std::vector<QString> ages;
    double fast = 0;
    double slow = 0;
    atEveryStep([&](int step) {
        ages.push_back(control().Tage->text());
        if (step == 100) { // at radius 100
            fast = std::hypot(Module1::ShownX(150), Module1::ShownY(150));
            slow = std::hypot(Module1::ShownX(0), Module1::ShownY(0));
        }
    });
    simulate();

    EXPECT_TRUE(errors.empty());
    EXPECT_FALSE(platform::programEnded());
    ASSERT_EQ(steps, 172);
    EXPECT_EQ(lateEvening.sleeps(), 172);
    EXPECT_LT(lateEvening.secondsSinceMidnight(), 60.0);
    EXPECT_EQ(platform::randomDraws(), 151u);
    EXPECT_EQ(ages[0], QStringLiteral(" 0.08")); // 0.0872 cut, not rounded
    EXPECT_EQ(ages[1], QStringLiteral(" 0.17")); // 0.1744
    EXPECT_EQ(ages[85], QStringLiteral(" 7.5"));
    EXPECT_EQ(ages[171], QStringLiteral(" 15"));
    EXPECT_EQ(control().Tage->text(), QStringLiteral(" 15"));
    EXPECT_EQ(Module1::Angle(0), 0.0);
    EXPECT_DOUBLE_EQ(Module1::Angle(75), 3.141592653589);
    EXPECT_DOUBLE_EQ(Module1::Angle(150), 6.283185307178);
    EXPECT_DOUBLE_EQ(Module1::Speed(0), 0.01);
    EXPECT_DOUBLE_EQ(Module1::Speed(150), 1.0);
    EXPECT_DOUBLE_EQ(fast, 50.0);
    EXPECT_NEAR(slow, 0.990099, 1e-6);

    // Only the last ring is blue; the earlier ones were overdrawn in white.
    int bluePixels = 0;
    for (int y = 0; y < 364; ++y)
        for (int x = 0; x < 410; ++x)
            if (at(x, y) == blue) {
                ++bluePixels;
                EXPECT_NEAR(std::hypot(x - cx, y - cy), 172, 0.5) << x << ',' << y;
            }
    EXPECT_GT(bluePixels, 900);
    for (auto [x, y] : {std::pair{cx + 172, cy}, {cx - 172, cy}, {cx, cy - 172}, {cx, cy + 172}})
        EXPECT_EQ(at(x, y), blue) << x << ',' << y;
    for (auto [x, y] : {std::pair{cx + 171, cy}, {cx + 120, cy}, {cx, cy - 150}})
        EXPECT_EQ(at(x, y), white) << x << ',' << y;
    EXPECT_EQ(at(cx + 174, cy), background());
    EXPECT_EQ(at(5, 5), background());

    // Particle 0 (direction 0, speed 0.01) 1.70 pixels straight down, in the pixel row that
    // holds it, seen at age 14.85: the green-to-black band. Particle 150 (speed 1) at half the
    // ring, coloured by half the age.
    EXPECT_EQ(at(cx, cy + 1), rgb(0, 18, 0));
    EXPECT_EQ(at(cx + 1, cy + 1), rgb(0, 18, 0));
    EXPECT_EQ(at(cx, cy + 86), rgb(128, 0, 255)); // age 7.5: magenta to blue
    EXPECT_EQ(at(cx, cy - 58), rgb(0, 167, 255)); // particle 75: straight up, 57.7, age 9.97
}

// The ramp's colours themselves are the engine tests' to pin down; here, that each swatch shows
// the one of its step.
TEST_F(ExpansionRun, LegendTakesTheRampAndLeavesSwatchZero) {
    const platform::Colour plain = platform::backColor(&control().Label3(0));
    simulate();
    EXPECT_EQ(platform::backColor(&control().Label3(0)), plain);
    for (int i = 1; i <= 15; ++i) {
        platform::Colour expected = plain;
        Module1::SpectrumColour(15, i, expected);
        EXPECT_EQ(platform::backColor(&control().Label3(i)), expected) << i;
    }
    // What the user sees: the swatch is painted in that colour.
    const QImage shown = control().Label3(9).grab().toImage();
    EXPECT_EQ(shown.pixel(1, 1) & 0xffffffu, rgb(0, 51, 255));
}

// The positions of everything drawn in a picture.
std::set<std::pair<int, int>> drawn(const QImage& picture, QRgb background) {
    std::set<std::pair<int, int>> points;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if ((picture.pixel(x, y) & 0xffffffu) != background)
                points.insert({x, y});
    return points;
}

// Static points are placed at random, "Random" or not.
TEST_F(ExpansionRun, StaticModeRedrawsTheSamePointsInChangingColours) {
    control().TDynamic->setText(QStringLiteral("No"));
    control().TRandom->setText(QStringLiteral("No"));
    std::set<std::pair<int, int>> first;
    QImage atFirstStep;
    atEveryStep([&](int step) {
        const auto now = drawn(display().picture(), background());
        if (step == 1) {
            first = now;
            atFirstStep = display().picture().copy();
        }
        ASSERT_EQ(now, first) << "step " << step;
    });
    simulate();
    EXPECT_EQ(steps, 172);
    EXPECT_EQ(platform::randomDraws(), 302u);
    EXPECT_NE(Module1::Angle(75), 3.141592653589);
    EXPECT_GT(first.size(), 400u); // 151 blocks of four, a few overlapping
    EXPECT_LE(first.size(), 604u);
    int changed = 0;
    for (const auto& [x, y] : first) {
        EXPECT_NE(at(x, y), blue);
        changed += atFirstStep.pixel(x, y) != display().picture().pixel(x, y);
    }
    EXPECT_EQ(changed, static_cast<int>(first.size()));
}

TEST_F(ExpansionRun, EveryProgramStartReplaysTheSameFieldAndASecondRunDoesNot) {
    control().TDynamic->setText(QStringLiteral("No"));
    simulate();
    const QImage firstStart = display().picture().copy();
    simulate();
    const QImage secondRun = display().picture().copy();

    restart();
    control().TDynamic->setText(QStringLiteral("No"));
    simulate();
    EXPECT_EQ(display().picture(), firstStart);
    EXPECT_NE(drawn(secondRun, background()), drawn(firstStart, background()));
}

TEST_F(ExpansionRun, ASecondRunOverdrawsWhereTheFirstOneLeftItsParticles) {
    control().TRandom->setText(QStringLiteral("No"));
    simulate();
    ASSERT_NE(at(cx, cy + 86), white); // particle 150's last block
    QRgb afterFirstStep = 0;
    QRgb blockOfParticle0 = 0;
    atEveryStep([&](int step) {
        if (step == 1) {
            afterFirstStep = at(cx, cy + 86);
            blockOfParticle0 = at(cx, cy + 3); // below the blocks of the first step
        }
    });
    simulate();
    // Cleared, then overdrawn in white at the offsets the first run left behind.
    EXPECT_EQ(afterFirstStep, white);
    EXPECT_EQ(blockOfParticle0, white);
}

TEST_F(ExpansionRun, SwitchingModesMidRun) {
    control().TRandom->setText(QStringLiteral("No"));
    int topLeftAtStep100 = -1;
    QRgb ringBeyond50AtStep100 = 0;
    atEveryStep([&](int step) {
        if (step == 50) {
            click(control().TDynamic); // static from step 51
        } else if (step == 100) {
            // The static steps drew at the true offsets, taken as coordinates of the drawing area.
            topLeftAtStep100 = 0;
            for (int y = 0; y < 52; ++y)
                for (int x = 0; x < 52; ++x)
                    topLeftAtStep100 += at(x, y) != background();
            ringBeyond50AtStep100 = at(cx + 60, cy);
            click(control().TDynamic); // dynamic again from step 101
        }
    });
    simulate();
    EXPECT_EQ(steps, 172);
    EXPECT_GT(topLeftAtStep100, 40); // those with a negative offset drew nothing
    EXPECT_EQ(ringBeyond50AtStep100, background());
    EXPECT_EQ(at(cx + 50, cy), white);        // the ring of step 50, overdrawn at step 101
    EXPECT_EQ(at(cx + 75, cy), background()); // no ring for the static steps
    EXPECT_EQ(at(cx + 101, cy), white);
    EXPECT_EQ(at(cx + 172, cy), blue);
    EXPECT_EQ(control().Tage->text(), QStringLiteral(" 15"));
}

TEST_F(ExpansionRun, SimulateDuringARunRunsASecondOneInsideIt) {
    std::vector<QString> ages;
    atEveryStep([&](int step) {
        ages.push_back(control().Tage->text());
        if (step == 10) {
            control().move(40, 30);
            simulate();
        }
    });
    simulate();
    EXPECT_TRUE(errors.empty());
    ASSERT_EQ(steps, 344);
    EXPECT_EQ(ages[9], QStringLiteral(" 0.87"));   // outer step 10
    EXPECT_EQ(ages[10], QStringLiteral(" 0.08"));  // inner step 1
    EXPECT_EQ(ages[181], QStringLiteral(" 15"));   // inner step 172
    EXPECT_EQ(ages[182], QStringLiteral(" 0.95")); // outer step 11
    EXPECT_EQ(ages[343], QStringLiteral(" 15"));
    EXPECT_EQ(platform::randomDraws(), 302u);
    EXPECT_EQ(display().frameGeometry().topLeft(), QPoint(40 + 333, 30));
    EXPECT_EQ(at(cx + 172, cy), blue);
}

TEST_F(ExpansionRun, RunsNestedDeeperThanTheStackAllowsEndInAnOrderlyError) {
    int deepest = 0;
    int depth = 0;
    atEveryStep([&](int) {
        deepest = std::max(deepest, ++depth);
        simulate(); // at the first step of every run, and so on without end
        --depth;
    });
    simulate();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], platform::ErrorKind::OutOfStackSpace);
    EXPECT_TRUE(platform::programEnded());
    EXPECT_EQ(platform::exitStatus(), 1);
    EXPECT_GT(deepest, 100);
    std::printf("%d runs nested\n", deepest);
}

// "End" and the control window's close button, mid-run: the run stops where it was.
TEST_F(ExpansionRun, EndingMidRunStopsAllDrawing) {
    for (bool viaEnd : {true, false}) {
        restart();
        QImage picture;
        QString age;
        atEveryStep([&](int step) {
            if (step == 20) {
                picture = display().picture().copy();
                age = control().Tage->text();
                if (viaEnd)
                    click(control().Command2);
                else
                    control().close();
            }
        });
        simulate();
        EXPECT_EQ(steps, 20) << viaEnd;
        EXPECT_TRUE(platform::programEnded());
        EXPECT_EQ(platform::exitStatus(), 0);
        EXPECT_TRUE(errors.empty());
        EXPECT_EQ(display().picture(), picture);
        EXPECT_EQ(control().Tage->text(), age);
        EXPECT_FALSE(control().isVisible());
        EXPECT_FALSE(display().isVisible());
    }
}

TEST_F(ExpansionRun, NonPositiveFactorStopsWithAClearMessage) {
    simulate(); // a picture, a coloured legend and an age to keep
    const QString age = control().Tage->text();
    const platform::Colour swatch = platform::backColor(&control().Label3(4));
    const QImage picture = display().picture().copy();
    for (const char* factor : {"0", "-2", "abc", "", "   ", "-0", "0.0", "1e-400", "nan"}) {
        messages.clear();
        steps = 0;
        const auto draws = platform::randomDraws();
        control().Tnc->setText(QString::fromLatin1(factor));
        simulate();
        ASSERT_EQ(messages.size(), 1u) << '"' << factor << '"';
        EXPECT_EQ(messages[0], Module1::nonPositiveFactorMessage());
        EXPECT_TRUE(messages[0].contains(QStringLiteral("greater than 0")));
        EXPECT_FALSE(platform::programEnded());
        EXPECT_TRUE(display().isVisible());
        EXPECT_EQ(display().picture(), picture) << '"' << factor << '"';
        EXPECT_EQ(steps, 0);
        EXPECT_EQ(platform::randomDraws(), draws);
        EXPECT_EQ(control().Tage->text(), age);
        EXPECT_EQ(control().Tnc->text(), QString::fromLatin1(factor));
        EXPECT_EQ(platform::backColor(&control().Label3(4)), swatch);
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(ExpansionRun, ARejectedSimulateDuringARunLeavesItsPictureAlone) {
    QImage atStep10;
    QImage afterTheRejected;
    atEveryStep([&](int step) {
        if (step != 10)
            return;
        atStep10 = display().picture().copy();
        control().Tnc->setText(QStringLiteral("0"));
        simulate();
        afterTheRejected = display().picture().copy();
        control().Tnc->setText(QStringLiteral("1"));
    });
    simulate();
    EXPECT_EQ(steps, 172);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(drawn(atStep10, background()).empty());
    EXPECT_EQ(afterTheRejected, atStep10);
    EXPECT_EQ(at(cx + 172, cy), blue);
}

// Particle 0 (direction 0, speed 0.01) at the last step with factor 14: its distance divides by
// 0.01 * 14 + 1, the product rounded before the sum. Rounded once, as a fused multiply-add does,
// the denominator is one unit lower in the last place and so is the distance.
TEST_F(ExpansionRun, EveryProductIsRoundedBeforeItIsAdded) {
    control().Tnc->setText(QStringLiteral("14"));
    control().TRandom->setText(QStringLiteral("No"));
    atEveryStep();
    simulate();
    ASSERT_EQ(steps, 172);
    EXPECT_EQ(Module1::ShownX(0), 0.0);
    EXPECT_EQ(Module1::ShownY(0), 21.12280701754386); // fused: 21.122807017543863
}

TEST_F(ExpansionRun, TwipScaleTakesTheOuterSizeAndRunsManyFinerSteps) {
    display().setScaleMode(platform::Twips);
    display().show();
    const QSize frame = display().frameGeometry().size() - display().size();
    display().resize(QSize(418, 397) - frame);         // outside 6270 x 5955 twips
    control().TDynamic->setText(QStringLiteral("No")); // static: cheaper, same stepping
    std::vector<QString> ages;
    atEveryStep([&](int) { ages.push_back(control().Tage->text()); });
    simulate();
    ASSERT_EQ(steps, 2967);
    EXPECT_EQ(ages.front(), QStringLiteral(" 0"));
    EXPECT_EQ(ages.back(), QStringLiteral(" 14.99"));
    EXPECT_EQ(Module1::ExtentHeight, 5955);
}

} // namespace
} // namespace kelvane::testing
