#include "platform/core/colour.h"
#include "platform/core/numeric.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace platform;

namespace {

struct Conversion {
    double value;
    std::int64_t expected;
};

TEST(Conversion, Int16RoundsHalfToEven) {
    const Conversion rows[] = {
        {0.5, 0},         {1.5, 2},           {2.5, 2},           {3.5, 4},
        {-0.5, 0},        {-1.5, -2},         {-2.5, -2},         {0.49999999, 0},
        {0.50000001, 1},  {254.5, 254},       {255.5, 256},       {32767.0, 32767},
        {32767.4, 32767}, {-32768.0, -32768}, {-32768.5, -32768}, {1e-300, 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(toInt16(row.value), row.expected) << row.value;
}

TEST(Conversion, Int16OutOfRangeIsOverflow) {
    for (double v :
         {32767.5, 32768.0, -32768.6, -32769.0, 40000.0, 1e300,
          std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        try {
            toInt16(v);
            ADD_FAILURE() << "no error for " << v;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Overflow) << v;
        }
    }
}

TEST(Conversion, Int32Bounds) {
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_EQ(toInt32(2147483647.4), 2147483647);
    EXPECT_EQ(toInt32(-2147483648.5), -2147483648LL);
    EXPECT_EQ(toInt32(100.5), 100);
    EXPECT_THROW(toInt32(2147483647.5), RuntimeError);
    try {
        toInt32(-2147483648.6, {QStringLiteral("cycles"), {}, -2147483648.6});
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Overflow);
        EXPECT_EQ(e.cause().value, -2147483648.6);
    }
}

TEST(Conversion, FloatStatusAfterAResult) {
    const double zero = 0.0;
    const double huge = 1e308;
    EXPECT_EQ(checkFloat(1.0 / 3.0), 1.0 / 3.0);
    const Cause cause{QStringLiteral("factor"), QStringLiteral("1e308"), {}};
    for (double faulty : {1.0 / zero, zero / zero, huge * 10.0, -huge * 10.0}) {
        try {
            checkFloat(faulty);
            ADD_FAILURE() << "no fault for " << faulty;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::FloatFault);
            EXPECT_TRUE(e.cause().input.isEmpty());
        }
        try {
            checkFloat(faulty, cause);
            ADD_FAILURE() << "no fault for " << faulty;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::FloatFault);
            EXPECT_EQ(e.cause().typed, cause.typed);
        }
    }
}

TEST(Conversion, TablesCheckEveryIndex) {
    Table<double, 0, 16> table;
    table(16.4) = 7.0; // 16.4 rounds to 16
    EXPECT_EQ(table(16), 7.0);
    table(0.5) = 3.0; // tie to even: slot 0
    EXPECT_EQ(table(0), 3.0);
    for (double bad : {-1.0, -0.6, 16.6, 17.0, 1e12}) {
        try {
            table(bad);
            ADD_FAILURE() << "no error for " << bad;
        } catch (const RuntimeError& e) {
            EXPECT_TRUE(e.kind() == ErrorKind::SubscriptOutOfRange ||
                        e.kind() == ErrorKind::Overflow)
                << bad;
        }
    }
    EXPECT_EQ(table(-0.4), 3.0); // rounds to 0, inside
}

TEST(Colours, PaletteAndComponents) {
    struct Row {
        int index;
        int r, g, b;
    };
    const Row rows[] = {{0, 0, 0, 0},    {1, 0, 0, 128},     {2, 0, 128, 0},
                        {4, 128, 0, 0},  {7, 192, 192, 192}, {9, 0, 0, 255},
                        {12, 255, 0, 0}, {14, 255, 255, 0},  {15, 255, 255, 255}};
    for (const auto& row : rows) {
        const Colour c = paletteColour(row.index);
        EXPECT_EQ(c, row.r + 256 * row.g + 65536 * row.b) << row.index;
    }
    EXPECT_THROW(paletteColour(16), RuntimeError);
    EXPECT_THROW(paletteColour(-1), RuntimeError);

    EXPECT_EQ(rgbColour(255, 255, 137), 255 + 256 * 255 + 65536 * 137);
    EXPECT_EQ(rgbColour(255, 255, 256), 0xffffff); // limited to 255
    EXPECT_EQ(rgbColour(300, 0, 0), 255);
    EXPECT_EQ(rgbColour(-5, 0, 0), 0);
    EXPECT_EQ(redOf(rgbColour(1, 2, 3)), 1);
    EXPECT_EQ(greenOf(rgbColour(1, 2, 3)), 2);
    EXPECT_EQ(blueOf(rgbColour(1, 2, 3)), 3);
}

} // namespace
