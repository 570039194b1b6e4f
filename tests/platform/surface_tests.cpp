#include "runtime.h"
#include "surface.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace platform;

namespace {

class Canvas : public DrawingForm {
  public:
    Canvas() : DrawingForm(QStringLiteral("Canvas"), 1500, 1500) { setScaleMode(Pixels); }
};

class Surface : public ::testing::Test {
  protected:
    void SetUp() override { resetProgram(); }
    void TearDown() override { resetProgram(); }
    Canvas& canvas() { return ensureInstance<Canvas>(); }
    QRgb at(int x, int y) { return canvas().picture().pixel(x, y); }
    QRgb background() { return toRgb(canvas().backgroundColour()) | 0xff000000u; }
    int count(QRgb rgb) {
        int n = 0;
        for (int y = 0; y < canvas().height(); ++y)
            for (int x = 0; x < canvas().width(); ++x)
                n += canvas().picture().pixel(x, y) == rgb;
        return n;
    }
};

TEST_F(Surface, PointsAreClippedSilently) {
    ASSERT_EQ(canvas().size(), QSize(100, 100));
    const Colour red = rgbColour(255, 0, 0);
    const QRgb redRgb = qRgb(255, 0, 0);
    canvas().pset(10, 20, red);
    canvas().pset(10.4f, 30.6f, red); // nearest pixel: (10, 31)
    for (auto [x, y] : {std::pair{-1.0f, 5.0f},
                        {5.0f, -1.0f},
                        {100.0f, 5.0f},
                        {5.0f, 100.0f},
                        {1e30f, 0.0f},
                        {-1e30f, -1e30f}})
        canvas().pset(x, y, red);
    EXPECT_EQ(at(10, 20), redRgb);
    EXPECT_EQ(at(10, 31), redRgb);
    EXPECT_EQ(count(redRgb), 2);
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
    EXPECT_EQ(at(50, 50), qRgb(255, 255, 255));
    EXPECT_EQ(count(qRgb(255, 255, 255)), 1);
}

TEST_F(Surface, CircleAcrossTheEdgeIsDrawnWhereItLies) {
    const QRgb white = qRgb(255, 255, 255);
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
    EXPECT_EQ(at(5, 5), qRgb(255, 0, 0));
    EXPECT_FLOAT_EQ(canvas().scaleWidth(), 150.0f);
    EXPECT_FLOAT_EQ(canvas().scaleHeight(), 120.0f);
    canvas().pset(140, 110, paletteColour(12)); // the new area can be drawn on
    EXPECT_EQ(at(140, 110), qRgb(255, 0, 0));
    // The window shows the retained picture.
    const QImage shown = canvas().grab().toImage();
    EXPECT_EQ(shown.pixel(5, 5), qRgb(255, 0, 0));
}

TEST_F(Surface, HiddenResizeIsCoveredBeforeDrawing) {
    canvas().resize(300, 300); // no resize event while hidden
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
