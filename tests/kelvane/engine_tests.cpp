#include "kelvane/engine/module1.h"
#include "platform/core/random.h"
#include "platform/core/scale_mode.h"

#include <QSizeF>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

namespace kelvane::testing {
namespace {

using platform::Colour;
using platform::rgbColour;

constexpr Colour untouched = 0x123456;

Colour spectrum(double range, double value) {
    Colour colour = untouched;
    Module1::SpectrumColour(range, value, colour);
    return colour;
}

struct Ramp {
    double value;
    int red, green, blue; // before rgbColour limits them to 255
};

TEST(SpectrumColour, WholeValuesOfTheLegend) {
    const Ramp rows[] = {
        {0, 255, 255, 256}, {1, 255, 255, 137}, {2, 255, 255, 17}, {3, 255, 154, 0},
        {4, 255, 34, 0},    {5, 255, 0, 85},    {6, 255, 0, 205},  {7, 188, 0, 255},
        {8, 68, 0, 255},    {9, 0, 51, 255},    {10, 0, 171, 255}, {11, 0, 255, 222},
        {12, 0, 255, 102},  {13, 0, 239, 0},    {14, 0, 119, 0},   {15, 0, 0, 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(spectrum(15, row.value), rgbColour(row.red, row.green, row.blue)) << row.value;
    EXPECT_EQ(spectrum(15, 1), 255 + 256 * 255 + 65536 * 137);
}

TEST(SpectrumColour, ValuesBetweenAndAtTheBandEdges) {
    const Ramp rows[] = {
        {0.5, 255, 255, 196},
        {7.5, 128, 0, 255},
        {14.9, 0, 12, 0},
        {15, 0, 0, 0},
        {16, 0, 0, 0},
        {17.14, 0, 0, 0},
        {-0.0, 255, 255, 255},
        {2.142857142857143, 255, 255, 0}, // exactly one band width: the falling green starts at 256
        {2.1428571428571423, 255, 255, 0}, // just below: the end of white to yellow
    };
    for (const auto& row : rows)
        EXPECT_EQ(spectrum(15, row.value), rgbColour(row.red, row.green, row.blue)) << row.value;
}

TEST(SpectrumColour, OutsideTheBandsTheCallersColourStands) {
    for (double value : {-0.001, -1.0, 17.142857142857142, 17.2, 20.0, -1e300, 1e300})
        EXPECT_EQ(spectrum(15, value), untouched) << value;
}

TEST(SpectrumColour, HalvesRoundToTheEvenNeighbour) {
    const Ramp rows[] = {
        {0.005859375, 255, 255, 254}, // blue 254.5
        {2.001953125, 255, 0, 0},     // blue 0.5
        {0.5, 255, 255, 128},
        {2.5, 255, 0, 128},
    };
    for (const auto& row : rows)
        EXPECT_EQ(spectrum(7, row.value), rgbColour(row.red, row.green, row.blue)) << row.value;
}

// value - start rounds before it is scaled. Fused into one multiply-add (one rounding) these
// values land on the other side of a half and come out one shade off.
TEST(SpectrumColour, TheBandStartIsRoundedBeforeItIsTakenAway) {
    const Ramp rows[] = {
        {8.525390625, 6, 0, 255},  // magenta to blue: red 5.50000000000003, fused 5.49999999999997
        {8.466796875, 13, 0, 255}, // magenta to blue: fused 12
        {14.970703125, 0, 4, 0},   // green to black: fused 3
        {14.853515625, 0, 18, 0},  // green to black: fused 17
    };
    for (const auto& row : rows)
        EXPECT_EQ(spectrum(15, row.value), rgbColour(row.red, row.green, row.blue)) << row.value;
}

TEST(SpectrumColour, FaultsLeaveTheColourAlone) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double huge = std::numeric_limits<double>::max();
    const std::pair<double, double> rows[] = {{0, 0}, {0, 1}, {nan, 1}, {15, nan}, {1e-310, huge}};
    for (const auto& [range, value] : rows) {
        Colour colour = untouched;
        try {
            Module1::SpectrumColour(range, value, colour);
            ADD_FAILURE() << "no fault for range " << range << ", value " << value;
        } catch (const platform::RuntimeError& error) {
            EXPECT_EQ(error.kind(), platform::ErrorKind::FloatFault);
        }
        EXPECT_EQ(colour, untouched);
    }
}

// The windows and the program around a run, as plain values: what the run reads, and a count
// of what it does.
class FakeHost final : public Module1::ControlWindow, public Module1::DisplayWindow {
  public:
    QString factor = QStringLiteral("1");
    QString dynamic = QStringLiteral("Yes");
    QString random = QStringLiteral("Yes");
    float width = 6270, height = 5955; // the outer frame, in twips
    std::int16_t mode = platform::Pixels;
    float clientWidth = 410, clientHeight = 364;

    struct Step {
        int clears = 0, circles = 0, points = 0, ages = 0;
    };
    std::vector<Step> steps{1}; // what was done before each dispatch; the last one since
    std::vector<QString> warnings;
    std::vector<QString> ageTexts;
    int swatches = 0;
    std::function<void()> atDispatch;
    platform::FakeClock fakeClock;

    void run() {
        Module1::RunExpansion({*this, *this, fakeClock,
                               [this] {
                                   steps.emplace_back();
                                   if (atDispatch)
                                       atDispatch();
                               },
                               [this](const QString& message) { warnings.push_back(message); }});
    }

    QString factorText() const override { return factor; }
    QString dynamicText() const override { return dynamic; }
    QString randomText() const override { return random; }
    void setAgeText(const QString& text) override {
        ++steps.back().ages;
        ageTexts.push_back(text);
    }
    void setSwatchColour(int, platform::Colour) override { ++swatches; }

    void cls() override { ++steps.back().clears; }
    void circle(float, float, float, platform::Colour) override { ++steps.back().circles; }
    void pset(float, float, platform::Colour) override { ++steps.back().points; }
    float widthTwips() const override { return width; }
    float heightTwips() const override { return height; }
    std::int16_t scaleMode() const override { return mode; }
    float scaleWidth() const override { return clientWidth; }
    float scaleHeight() const override { return clientHeight; }
};

class EngineSetup : public ::testing::Test {
  protected:
    void SetUp() override {
        Module1::reset();
        platform::resetRandom();
    }
    void TearDown() override { Module1::reset(); }

    FakeHost host;
};

TEST_F(EngineSetup, ColourOrderSwapsTwoPairsAndRepeatsWhite) {
    Module1::ColourOrder(5) = 99; // whatever was there before is replaced
    Module1::SetupParameters(host);
    const double expected[17] = {0, 1, 2, 4, 3, 5, 6, 7, 8, 9, 10, 12, 11, 13, 14, 15, 15};
    for (int i = 0; i <= 16; ++i)
        EXPECT_EQ(Module1::ColourOrder(i), expected[i]) << i;
}

TEST_F(EngineSetup, ExtentIsTheDrawingAreaInPixelsOrTheOuterSizeInTwips) {
    struct Row {
        std::int16_t scaleMode;
        QSizeF outer, client; // outer in twips, client in scale units
        double width, height;
    };
    const Row rows[] = {
        {platform::Pixels, {6270, 5955}, {410, 364}, 410, 364},
        {platform::Pixels, {1620, 795}, {100, 21}, 100, 21},
        {platform::Twips, {6270, 5955}, {6150, 5460}, 6270, 5955},
        {platform::Twips, {6150, 5460}, {5910, 4980}, 6150, 5460},
    };
    for (const auto& row : rows) {
        host.mode = row.scaleMode;
        host.width = float(row.outer.width());
        host.height = float(row.outer.height());
        host.clientWidth = float(row.client.width());
        host.clientHeight = float(row.client.height());
        Module1::SetupParameters(host);
        EXPECT_EQ(Module1::ExtentWidth, row.width) << row.outer.width();
        EXPECT_EQ(Module1::ExtentHeight, row.height) << row.outer.height();
    }
}

TEST_F(EngineSetup, TablesIndexHalfToEvenAndRefuseIndicesOutsideTheirBounds) {
    Module1::Speed(2.5) = 7; // index 2
    EXPECT_EQ(Module1::Speed(2), 7);
    Module1::ShownY(200.4) = 1;
    using platform::ErrorKind;
    const std::pair<double, ErrorKind> rows[] = {{-0.6, ErrorKind::SubscriptOutOfRange},
                                                 {200.6, ErrorKind::SubscriptOutOfRange},
                                                 {201.0, ErrorKind::SubscriptOutOfRange},
                                                 {1e10, ErrorKind::Overflow}};
    for (const auto& [index, kind] : rows) {
        try {
            Module1::PosX(index) = 1;
            ADD_FAILURE() << index;
        } catch (const platform::RuntimeError& error) {
            EXPECT_EQ(error.kind(), kind) << index;
        }
    }
    EXPECT_THROW(Module1::ColourOrder(17), platform::RuntimeError);
}

// What every step does, whatever draws it: a dynamic step a ring over the last one and 151
// blocks of four points over the last ones, a static step 151 blocks; each writes the age once,
// then dispatches once.
TEST_F(EngineSetup, EveryStepDrawsItsShareThenShowsTheAgeAndDispatchesOnce) {
    struct Row {
        const char* dynamic;
        float height;
        int steps, circles, points;
        unsigned draws;
    };
    const Row rows[] = {
        {"Yes", 364, 172, 2, 1208, 151}, {"No", 364, 172, 0, 604, 302},
        {"yes", 30, 5, 0, 604, 302},     {"Yes", 26, 3, 2, 1208, 151},
        {"Yes", 24, 2, 2, 1208, 151},    {"Yes", 23, 1, 2, 1208, 151},
        {"Yes", 22, 1, 2, 1208, 151},    {"Yes", 21, 0, 0, 0, 151},
        {"Yes", 5, 0, 0, 0, 151},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.dynamic) + " " + std::to_string(row.height));
        SetUp();
        host = {};
        host.dynamic = QString::fromLatin1(row.dynamic);
        host.clientHeight = row.height;
        host.run();
        EXPECT_TRUE(host.warnings.empty());
        EXPECT_EQ(host.swatches, 15);
        EXPECT_EQ(platform::randomDraws(), row.draws);
        EXPECT_EQ(host.fakeClock.sleeps(), row.steps);
        EXPECT_EQ(Module1::stepCount(row.height), row.steps);
        ASSERT_EQ(host.steps.size(), std::size_t(row.steps) + 1);
        EXPECT_EQ(host.steps.front().clears, 1); // once, before the first step
        for (int k = 0; k < row.steps; ++k) {
            const FakeHost::Step& step = host.steps[std::size_t(k)];
            EXPECT_EQ(step.circles, row.circles) << k;
            EXPECT_EQ(step.points, row.points) << k;
            EXPECT_EQ(step.ages, 1) << k;
            EXPECT_EQ(step.clears, k == 0 ? 1 : 0) << k;
        }
        const FakeHost::Step& after = host.steps.back();
        EXPECT_EQ(after.circles + after.points + after.ages, 0);
    }
}

} // namespace
} // namespace kelvane::testing
