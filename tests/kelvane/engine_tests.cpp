#include "tests/kelvane/kelvane_fixture.h"

#include <cmath>
#include <limits>

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

using EngineSetup = KelvaneTest;

TEST_F(EngineSetup, ColourOrderSwapsTwoPairsAndRepeatsWhite) {
    Module1::ColourOrder(5) = 99; // whatever was there before is replaced
    Module1::SetupParameters();
    const double expected[17] = {0, 1, 2, 4, 3, 5, 6, 7, 8, 9, 10, 12, 11, 13, 14, 15, 15};
    for (int i = 0; i <= 16; ++i)
        EXPECT_EQ(Module1::ColourOrder(i), expected[i]) << i;
}

TEST_F(EngineSetup, ExtentIsTheDrawingAreaInPixelsOrTheOuterSizeInTwips) {
    struct Row {
        std::int16_t scaleMode;
        QSize pixels; // the client area in pixel scale, the outer frame in twip scale
        double width, height;
    };
    const Row rows[] = {
        {platform::Pixels, {410, 364}, 410, 364},
        {platform::Pixels, {100, 21}, 100, 21},
        {platform::Twips, {418, 397}, 6270, 5955},
        {platform::Twips, {410, 364}, 6150, 5460},
    };
    display().show();
    const QSize frame = display().frameGeometry().size() - display().size();
    for (const auto& row : rows) {
        display().setScaleMode(row.scaleMode);
        display().resize(row.scaleMode == platform::Pixels ? row.pixels : row.pixels - frame);
        Module1::SetupParameters();
        EXPECT_EQ(Module1::ExtentWidth, row.width) << row.pixels.width();
        EXPECT_EQ(Module1::ExtentHeight, row.height) << row.pixels.height();
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

// The control window connects both windows when it is created, as every test's start does.
TEST_F(EngineSetup, WithoutConnectedWindowsARunIsARunTimeErrorNotACrash) {
    Module1::connectWindows({});
    EXPECT_THROW(Module1::RunExpansion(), platform::RuntimeError);
    EXPECT_THROW(Module1::SetupParameters(), platform::RuntimeError);
}

} // namespace
} // namespace kelvane::testing
