#include "kelvane/forms/form2.h"
#include "platform/forms/qt_colour.h"
#include "platform/forms/runtime.h"
#include "tests/support/program_test.h"

#include <QApplication>

#include <functional>
#include <vector>

#include <gtest/gtest.h>

using namespace platform;

namespace {

const QRgb red = qRgb(255, 0, 0); // palette 12
const QRgb white = qRgb(255, 255, 255);

// The display window at 100 x 100 pixels, its picture fitted to that.
class Display : public kelvane::Form2 {
  public:
    explicit Display(Canvas::ImageSource source = Canvas::plainImage) : Form2(source) {
        resize(100, 100);
        cls();
    }
};

// Memory for 100 x 100 pixels and no more.
QImage scarceImage(QSize size) {
    return size.width() * size.height() > 100 * 100 ? QImage() : Canvas::plainImage(size);
}

class ScarceDisplay : public Display {
  public:
    ScarceDisplay() : Display(scarceImage) {}
};

class Surface : public platform::testing::ProgramTest {
  protected:
    Display& canvas() { return ensureInstance<Display>(); }
    QRgb at(int x, int y) { return canvas().picture().pixel(x, y); }
    QRgb background() { return toRgb(canvas().backgroundColour()) | 0xff000000u; }
    static int count(const QImage& picture, QRgb rgb) {
        int n = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                n += picture.pixel(x, y) == rgb;
        return n;
    }
    int count(QRgb rgb) { return count(canvas().picture(), rgb); }
};

TEST_F(Surface, PointsAreClippedSilently) {
    ASSERT_EQ(canvas().size(), QSize(100, 100));
    canvas().pset(10, 20, paletteColour(12));
    canvas().pset(10.4f, 30.6f, paletteColour(12)); // the pixel that holds it: (10, 30)
    for (auto [x, y] : {std::pair{-1.0f, 5.0f},
                        {-0.3f, 5.0f},
                        {5.0f, -0.01f},
                        {5.0f, -1.0f},
                        {100.0f, 5.0f},
                        {5.0f, 100.0f},
                        {1e30f, 0.0f},
                        {-1e30f, -1e30f}})
        canvas().pset(x, y, paletteColour(12));
    EXPECT_EQ(at(10, 20), red);
    EXPECT_EQ(at(10, 30), red);
    EXPECT_EQ(count(red), 2);
}

TEST_F(Surface, AnyBlockOfFourPointsIsAWholeSquare) {
    struct Row {
        float x, y;
        QPoint topLeft;
    };
    const Row rows[] = {{10.5f, 20.5f, {10, 20}},
                        {30.5f, 40.0f, {30, 40}},
                        {50.0f, 61.5f, {50, 61}},
                        {0.5f, 0.5f, {0, 0}},
                        {70.99f, 3.5f, {70, 3}}};
    for (const auto& row : rows) {
        canvas().cls();
        for (auto [dx, dy] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}})
            canvas().pset(row.x + static_cast<float>(dx), row.y + static_cast<float>(dy),
                          paletteColour(12));
        EXPECT_EQ(count(red), 4) << row.x << ',' << row.y;
        for (auto [dx, dy] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}})
            EXPECT_EQ(at(row.topLeft.x() + dx, row.topLeft.y() + dy), red) << row.x << ',' << row.y;
    }
    // The centre of a circle is the pixel that holds it, too.
    canvas().cls();
    canvas().circle(51.5f, 51.5f, 10, paletteColour(12));
    for (auto [x, y] : {std::pair{61, 51}, {41, 51}, {51, 61}, {51, 41}})
        EXPECT_EQ(at(x, y), red) << x << ',' << y;
}

TEST_F(Surface, AnImageTooLargeForMemoryIsARunTimeErrorAndNothingIsWrittenOutside) {
    const std::function<void(kelvane::Form2&)> draws[] = {
        [](kelvane::Form2& c) { c.pset(150, 150, paletteColour(12)); },
        [](kelvane::Form2& c) { c.pset(5, 5, paletteColour(12)); },
        [](kelvane::Form2& c) { c.circle(100, 100, 80, paletteColour(12)); },
        [](kelvane::Form2& c) { c.cls(); },
    };
    for (bool shown : {false, true}) { // resized with and without a resize event
        for (const auto& draw : draws) {
            errors.clear();
            resetProgram();
            auto& scarce = ensureInstance<ScarceDisplay>();
            if (shown)
                scarce.show();
            scarce.resize(400, 400);
            runHandler([&] { draw(scarce); });
            EXPECT_EQ(errors, std::vector<ErrorKind>{ErrorKind::OutOfMemory}) << shown;
            EXPECT_TRUE(programEnded());
            EXPECT_EQ(exitStatus(), 1);
            EXPECT_EQ(scarce.picture().size(), QSize(100, 100));
            EXPECT_EQ(count(scarce.picture(), red), 0) << shown;
        }
    }
}

TEST_F(Surface, ThePictureFollowsTheWindowAndShrinksAtAClear) {
    struct Step {
        QSize window;
        bool clear;
        QSize picture;
        bool pointKept; // the point drawn at 250,150 in the first step
    };
    const Step steps[] = {
        {{300, 200}, false, {300, 200}, true},
        {{100, 100}, false, {300, 200}, true}, // made smaller: kept for a later enlarging
        {{300, 200}, false, {300, 200}, true}, // and shown again
        {{120, 80}, true, {120, 80}, false},   // a clear gives back what no longer shows
        {{400, 90}, false, {400, 90}, false},
        {{50, 300}, false, {400, 300}, false},
        {{50, 300}, true, {50, 300}, false},
    };
    canvas().show(); // resized with a resize event
    for (const Step& step : steps) {
        canvas().resize(step.window);
        if (step.clear)
            canvas().cls();
        if (&step == steps)
            canvas().pset(250, 150, paletteColour(12));
        const QImage& picture = canvas().picture();
        EXPECT_EQ(picture.size(), step.picture) << step.window.width();
        EXPECT_EQ(picture.rect().contains(250, 150) && picture.pixel(250, 150) == red,
                  step.pointKept)
            << step.window.width();
    }
}

// A window wider or taller than its design size, but no larger in area: a clear needs memory for
// the window, not for the design size and the window's together.
TEST_F(Surface, AClearTakesNoMoreMemoryThanTheWindow) {
    for (const QSize window : {QSize(400, 20), QSize(20, 400), QSize(10000, 1)}) {
        resetProgram();
        auto& scarce = ensureInstance<ScarceDisplay>();
        scarce.resize(window); // hidden: no resize event grows the image first
        runHandler([&] {
            scarce.cls();
            scarce.pset(float(window.width() - 1), float(window.height() - 1), paletteColour(12));
        });
        EXPECT_EQ(errors, std::vector<ErrorKind>{}) << window.width();
        EXPECT_EQ(scarce.picture().size(), window);
        EXPECT_EQ(scarce.picture().pixel(window.width() - 1, window.height() - 1), red);
    }
}

TEST_F(Surface, CircleIsAOnePixelOutline) {
    const QRgb blue = qRgb(0, 0, 128);
    canvas().circle(50, 50, 10, paletteColour(1));
    EXPECT_EQ(at(60, 50), blue);
    EXPECT_EQ(at(40, 50), blue);
    EXPECT_EQ(at(50, 60), blue);
    EXPECT_EQ(at(50, 40), blue);
    EXPECT_EQ(at(50, 50), background()); // not filled
    EXPECT_EQ(at(61, 50), background());
    // The outline is closed and one pixel thick: between 4*r*sqrt(2) and 2*pi*r pixels.
    const int pixels = count(blue);
    EXPECT_GE(pixels, 56);
    EXPECT_LE(pixels, 64);

    canvas().cls();
    canvas().circle(50, 50, 0, paletteColour(15));
    EXPECT_EQ(at(50, 50), white);
    EXPECT_EQ(count(white), 1);
}

TEST_F(Surface, CircleAcrossTheEdgeIsDrawnWhereItLies) {
    canvas().circle(0, 0, 30, paletteColour(15));
    EXPECT_EQ(at(30, 0), white);
    EXPECT_EQ(at(0, 30), white);
    canvas().circle(-500, -500, 10, paletteColour(15)); // wholly outside
    canvas().circle(50, 50, 1e9f, paletteColour(15));   // around the whole window
    canvas().circle(50, 50, -3, paletteColour(15));
    EXPECT_GT(count(white), 40);
    EXPECT_LT(count(white), 60);
}

TEST_F(Surface, ClsLeavesOnlyTheBackground) {
    canvas().circle(50, 50, 20, paletteColour(4));
    canvas().pset(1, 1, paletteColour(2));
    canvas().cls();
    EXPECT_EQ(count(background()), 100 * 100);
}

TEST_F(Surface, PictureSurvivesShowingAndResizing) {
    canvas().pset(5, 5, paletteColour(12));
    canvas().show();
    canvas().resize(50, 50);
    canvas().resize(150, 120);
    EXPECT_EQ(at(5, 5), red);
    EXPECT_FLOAT_EQ(canvas().scaleWidth(), 150.0f);
    EXPECT_FLOAT_EQ(canvas().scaleHeight(), 120.0f);
    canvas().pset(140, 110, paletteColour(12)); // the new area can be drawn on
    EXPECT_EQ(at(140, 110), red);
    // The window shows the retained picture.
    EXPECT_EQ(canvas().grab().toImage().pixel(5, 5), red);
}

// Hidden, a window gets no resize event: drawing covers the new size all the same.
TEST_F(Surface, HiddenResizeIsCoveredBeforeDrawing) {
    canvas().resize(300, 300);
    canvas().pset(250, 250, paletteColour(10));
    canvas().circle(250, 250, 20, paletteColour(10));
    EXPECT_EQ(at(250, 250), qRgb(0, 255, 0));
}

TEST_F(Surface, TwipCoordinatesWhenScaleModeIsTwips) {
    canvas().setScaleMode(Twips);
    canvas().pset(150, 300, paletteColour(14)); // pixel (10, 20)
    EXPECT_EQ(at(10, 20), qRgb(255, 255, 0));
}

} // namespace
