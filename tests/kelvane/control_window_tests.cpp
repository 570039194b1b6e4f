#include "tests/kelvane/kelvane_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kelvane::testing {
namespace {

using ControlWindow = KelvaneTest;

struct Placement {
    const char* name;
    QRect pixels; // at 96 dpi, 15 twips to the pixel
    const char* text;
    const char* accessibleName;
};

TEST_F(ControlWindow, EveryControlAtItsPlaceWithItsText) {
    EXPECT_EQ(control().windowTitle(), QStringLiteral("Control"));
    EXPECT_EQ(control().size(), QSize(312, 206));

    const Placement rows[] = {
        {"Command1", {16, 8, 89, 33}, "Simulate", "Simulate"},
        {"Label1", {16, 64, 73, 17}, "Exp Factor", "Exp Factor"},
        {"Tnc", {120, 56, 49, 25}, "1", "Exp Factor"},
        {"Tage", {120, 152, 49, 25}, "0", "Age"},
        {"Label2", {16, 160, 73, 17}, "Age", "Age"},
        {"Command2", {120, 8, 65, 33}, "End", "End"},
        {"Label3(0)", {232, 8, 17, 17}, "0", "Colour of age step 0"},
        {"Label3(3)", {232, 56, 17, 17}, "3", "Colour of age step 3"},
        {"Label3(7)", {232, 120, 17, 17}, "7", "Colour of age step 7"},
        {"Label3(8)", {272, 8, 17, 17}, "8", "Colour of age step 8"},
        {"Label3(15)", {272, 120, 17, 17}, "15", "Colour of age step 15"},
        {"TRandom", {120, 88, 49, 25}, "Yes", "Random"},
        {"Label4", {16, 96, 73, 17}, "Random", "Random"},
        {"TDynamic", {120, 120, 49, 25}, "Yes", "Dynamic"},
        {"Label5", {16, 128, 73, 17}, "Dynamic", "Dynamic"},
    };
    for (const auto& row : rows) {
        const auto* widget = control().findChild<QWidget*>(QString::fromLatin1(row.name));
        ASSERT_NE(widget, nullptr) << row.name;
        EXPECT_EQ(widget->geometry(), row.pixels) << row.name;
        EXPECT_EQ(widget->accessibleName(), QString::fromLatin1(row.accessibleName)) << row.name;
        EXPECT_EQ(widget->property("text").toString(), QString::fromLatin1(row.text)) << row.name;
    }
    // The legend is one array whose members are the named labels, in index order.
    for (int i = 0; i <= 15; ++i)
        EXPECT_EQ(control().Label3(i).objectName(), QStringLiteral("Label3(%1)").arg(i));
}

TEST_F(ControlWindow, OnlyTheControlWindowAtStartAndThePlainLegend) {
    EXPECT_TRUE(control().isVisible());
    EXPECT_FALSE(platform::hasInstance<Form2>());
    const platform::Colour plain = platform::backColor(&control().Label3(0));
    for (int i = 1; i <= 15; ++i)
        EXPECT_EQ(platform::backColor(&control().Label3(i)), plain) << i;
}

TEST_F(ControlWindow, TabVisitsTheControlsThatTakeFocusInTheirOrder) {
    QApplication::setActiveWindow(&control());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&control()));
    control().Command1->setFocus();
    QStringList visited{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(visited, QStringList({"Command1", "Tnc", "Tage", "Command2", "TRandom", "TDynamic",
                                    "Command1"}));
    EXPECT_FALSE(control().Command1->isDefault());
    EXPECT_FALSE(control().Command2->isDefault());
}

// A toggle flips between "Yes" and "No" at a click (a double click flips it once, as its first
// click does), at Return and at Enter, whatever it held; typing into it does not flip it. A screen
// reader is told its value and how it flips.
TEST_F(ControlWindow, TogglesFlipAtAClickOrEnterAndSaySo) {
    QApplication::setActiveWindow(&control());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&control()));
    struct Row {
        const char* before;
        const char* gestures; // c: a click, d: a double click, r: Return, e: Enter, s: typing "s"
        const char* after;
    };
    const Row rows[] = {
        {"Yes", "", "Yes"},   {"Yes", "c", "No"},   {"No", "c", "Yes"},   {"Yes", "cc", "Yes"},
        {"No", "cc", "No"},   {"yes", "cc", "No"},  {"YES", "cc", "No"},  {"", "cc", "No"},
        {"Yes ", "cc", "No"}, {" Yes", "cc", "No"}, {"no", "cc", "No"},   {"anything", "cc", "No"},
        {"Yes", "d", "No"},   {"Yes", "dd", "Yes"}, {"Yes", "cd", "Yes"}, {"Yes", "dc", "Yes"},
        {"Yes", "ddd", "No"}, {"Yes", "r", "No"},   {"No", "e", "Yes"},   {"maybe", "r", "Yes"},
        {"Yes", "ce", "Yes"}, {"Ye", "s", "Yes"},
    };
    const auto description = [](QWidget* box) {
        return QAccessible::queryAccessibleInterface(box)->text(QAccessible::Description);
    };
    for (platform::TextBox* box : {control().TDynamic, control().TRandom}) {
        platform::TextBox* other =
            box == control().TDynamic ? control().TRandom : control().TDynamic;
        for (const auto& row : rows) {
            SCOPED_TRACE(box->objectName().toStdString() + " from \"" + row.before + "\" by " +
                         row.gestures);
            box->setText(QString::fromLatin1(row.before));
            other->setText(QStringLiteral("other"));
            for (const char* g = row.gestures; *g; ++g) {
                if (*g == 'c' || *g == 'd')
                    click(box);
                if (*g == 'd') { // the second press of a double click, as a window system sends it
                    QTest::mousePress(box, Qt::LeftButton);
                    QTest::mouseDClick(box, Qt::LeftButton);
                    QTest::mouseRelease(box, Qt::LeftButton);
                } else if (*g == 'r' || *g == 'e') {
                    box->setFocus();
                    QTest::keyClick(box, *g == 'r' ? Qt::Key_Return : Qt::Key_Enter);
                } else if (*g == 's') {
                    box->end(false);
                    QTest::keyClicks(box, QStringLiteral("s"));
                }
            }
            EXPECT_EQ(box->text(), QString::fromLatin1(row.after));
            EXPECT_EQ(other->text(), QStringLiteral("other")) << "toggled along";
            EXPECT_EQ(description(box),
                      row.after +
                          QStringLiteral(". A click or Enter switches between Yes and No."));
        }
        box->setText(QStringLiteral("yes"));
        EXPECT_EQ(description(box),
                  QStringLiteral("Neither Yes nor No. A click or Enter makes it Yes."));
    }
}

TEST_F(ControlWindow, EnterPressesTheFocusedButtonAndNothingElse) {
    struct Row {
        const char* focus;
        Qt::Key key;
        bool simulated;
        bool ended;
    };
    const Row rows[] = {
        {"Tnc", Qt::Key_Return, false, false},     {"Tage", Qt::Key_Enter, false, false},
        {"TRandom", Qt::Key_Return, false, false}, {"Command1", Qt::Key_Return, true, false},
        {"Command1", Qt::Key_Enter, true, false},  {"Command2", Qt::Key_Return, false, true},
        {"Command2", Qt::Key_Enter, false, true},
    };
    for (const auto& row : rows) {
        restart();
        QApplication::setActiveWindow(&control());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&control()));
        control().Tnc->setText(QStringLiteral("0")); // a run stops at once
        auto* widget = control().findChild<QWidget*>(QString::fromLatin1(row.focus));
        widget->setFocus();
        QTest::keyClick(widget, row.key);
        EXPECT_EQ(platform::hasInstance<Form2>() && display().isVisible(), row.simulated)
            << row.focus;
        EXPECT_EQ(platform::programEnded(), row.ended) << row.focus;
        EXPECT_TRUE(errors.empty());
    }
}

TEST_F(ControlWindow, CaptionsNameTheirBoxes) {
    const std::pair<QLabel*, QWidget*> links[] = {{control().Label1, control().Tnc},
                                                  {control().Label2, control().Tage},
                                                  {control().Label4, control().TRandom},
                                                  {control().Label5, control().TDynamic}};
    for (auto [label, box] : links)
        EXPECT_EQ(label->buddy(), box) << label->text().toStdString();
}

// The best contrast ratio between the swatch's colour and any pixel of it as shown: the digit's.
double digitContrast(QLabel& swatch) {
    const auto luminance = [](QRgb rgb) {
        const auto linear = [](int c) {
            const double v = c / 255.0;
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) +
               0.0722 * linear(qBlue(rgb));
    };
    const QImage shown = swatch.grab().toImage();
    const double back = luminance(platform::toRgb(platform::backColor(&swatch)));
    double best = 1.0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const double l = luminance(shown.pixel(x, y));
            best = std::max(best, (std::max(l, back) + 0.05) / (std::min(l, back) + 0.05));
        }
    return best;
}

TEST_F(ControlWindow, EveryLegendDigitReadsOnItsSwatch) {
    using platform::rgbColour;
    const platform::Colour colours[] = {rgbColour(0, 0, 0),     rgbColour(255, 255, 255),
                                        rgbColour(0, 0, 255),   rgbColour(255, 255, 0),
                                        rgbColour(0, 18, 0),    rgbColour(128, 128, 128),
                                        rgbColour(255, 0, 255), rgbColour(0, 0, 0)};
    for (platform::Colour colour : colours) {
        platform::setBackColor(&control().Label3(15), colour);
        EXPECT_EQ(platform::backColor(&control().Label3(15)), colour);
        EXPECT_GE(digitContrast(control().Label3(15)), 4.5) << std::hex << colour;
    }
    simulate(); // the run colours the swatches
    for (int i = 1; i <= 15; ++i)
        EXPECT_GE(digitContrast(control().Label3(i)), 4.5) << i;
}

TEST_F(ControlWindow, SimulatePlacesTheDisplayBesideTheControlWindowAndOnItsScreen) {
    control().Tnc->setText(QStringLiteral("0")); // the run stops at once: only placing counts
    // The offscreen screen: the display's frame, 414x368 pixels, fits it right of a control
    // window left of x = 53 and above y = 432.
    ASSERT_EQ(control().screen()->availableGeometry(), QRect(0, 0, 800, 800));
    struct Move {
        QPoint control;
        QPoint display; // Left + 5000 twips is 333.3 pixels
    };
    const Move rows[] = {{{0, 0}, {333, 0}},     {{52, 431}, {385, 431}}, {{53, 432}, {386, 432}},
                         {{100, 50}, {386, 50}}, {{40, 500}, {373, 432}}, {{1100, 900}, {386, 432}},
                         {{-500, -80}, {0, 0}}};
    for (const auto& row : rows) {
        control().move(row.control);
        if (platform::hasInstance<Form2>())
            display().move(7, 700); // the user moved it away; it comes back beside
        simulate();
        EXPECT_TRUE(display().isVisible());
        EXPECT_EQ(display().frameGeometry().topLeft(), row.display);
        EXPECT_EQ(display().size(), QSize(410, 364));
    }
    EXPECT_EQ(display().windowTitle(), QStringLiteral("Display"));
    EXPECT_FALSE(platform::programEnded());
}

} // namespace
} // namespace kelvane::testing
