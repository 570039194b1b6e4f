#include "platform/forms/form.h"
#include "platform/forms/runtime.h"
#include "tests/platform/test_form.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace platform;
using platform::testing::TestForm;

namespace {

class Controls : public ::testing::Test {
  protected:
    void SetUp() override { resetProgram(); }
    void TearDown() override { resetProgram(); }
};

TEST_F(Controls, TextBoxReportsClicksNotTyping) {
    auto& form = ensureInstance<TestForm>();
    form.show();
    int clicks = 0;
    QObject::connect(form.box, &TextBox::clicked, [&] { ++clicks; });
    QTest::keyClicks(form.box, QStringLiteral("abc"));
    EXPECT_EQ(clicks, 0);
    QTest::mouseClick(form.box, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    QTest::mouseClick(form.box, Qt::RightButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(Controls, GeometryInTwips) {
    auto& form = ensureInstance<TestForm>();
    ASSERT_DOUBLE_EQ(form.twipsPerPixelX(), 15.0); // the offscreen screen has 96 dpi
    EXPECT_EQ(form.size(), QSize(200, 133));
    EXPECT_EQ(form.button->geometry(), QRect(8, 8, 80, 27));
    form.setLeftTwips(1500.0f);
    form.setTopTwips(750.0f);
    EXPECT_FLOAT_EQ(form.leftTwips(), 1500.0f);
    EXPECT_FLOAT_EQ(form.topTwips(), 750.0f);
    EXPECT_EQ(form.scaleMode(), Twips);
    EXPECT_FLOAT_EQ(form.scaleWidth(), 3000.0f);
    form.setScaleMode(Pixels);
    EXPECT_FLOAT_EQ(form.scaleWidth(), 200.0f);
    EXPECT_FLOAT_EQ(form.scaleHeight(), 133.0f);
    EXPECT_THROW(form.setScaleMode(2), RuntimeError);
}

TEST(Placement, AFrameIsKeptWithinItsAreaMovedBackJustEnough) {
    struct Row {
        float start, extent, expected;
    };
    // An area from 0 to 20490 twips (1366 pixels).
    const Row rows[] = {
        {4995, 6180, 4995},   // fits
        {14310, 6180, 14310}, // ends on the edge
        {14325, 6180, 14310}, // one pixel over
        {30000, 6180, 14310}, // far off
        {-450, 6180, 0},      // before the start
        {900, 25000, 0},      // larger than the area: its start stays in reach
        {-1e30f, 6180, 0},
    };
    for (const auto& row : rows)
        EXPECT_FLOAT_EQ(keptWithin(row.start, row.extent, 0, 20490), row.expected) << row.start;
}

TEST_F(Controls, ControlArrayMembersMustExist) {
    ControlArray<QWidget> array;
    QWidget a;
    array.append(&a);
    EXPECT_EQ(&array(0), &a);
    EXPECT_THROW(array(1), RuntimeError);
    EXPECT_THROW(array(-1), RuntimeError);
}

} // namespace
