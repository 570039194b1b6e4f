#include "kelvane_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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
        {"Label3(0)", {232, 8, 17, 17}, "0", "0"},
        {"Label3(3)", {232, 56, 17, 17}, "3", "3"},
        {"Label3(7)", {232, 120, 17, 17}, "7", "7"},
        {"Label3(8)", {272, 8, 17, 17}, "8", "8"},
        {"Label3(15)", {272, 120, 17, 17}, "15", "15"},
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
        QString text;
        if (auto* button = qobject_cast<const QPushButton*>(widget))
            text = button->text();
        else if (auto* box = qobject_cast<const QLineEdit*>(widget))
            text = box->text();
        else if (auto* label = qobject_cast<const QLabel*>(widget))
            text = label->text();
        EXPECT_EQ(text, QString::fromLatin1(row.text)) << row.name;
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

struct Toggling {
    QString before;
    QString once;
    QString twice;
};

TEST_F(ControlWindow, TogglesSwitchBetweenYesAndNoOnEveryClick) {
    const Toggling rows[] = {
        {"Yes", "No", "Yes"},  {"No", "Yes", "No"}, {"yes", "Yes", "No"},
        {"YES", "Yes", "No"},  {"", "Yes", "No"},   {"Yes ", "Yes", "No"},
        {" Yes", "Yes", "No"}, {"no", "Yes", "No"}, {"anything", "Yes", "No"},
    };
    for (platform::TextBox* box : {control().TDynamic, control().TRandom}) {
        platform::TextBox* other =
            box == control().TDynamic ? control().TRandom : control().TDynamic;
        for (const auto& row : rows) {
            box->setText(row.before);
            other->setText(QStringLiteral("other"));
            click(box);
            EXPECT_EQ(box->text(), row.once)
                << box->objectName().toStdString() << " from \"" << row.before.toStdString() << '"';
            click(box);
            EXPECT_EQ(box->text(), row.twice) << box->objectName().toStdString();
            EXPECT_EQ(other->text(), QStringLiteral("other")) << "toggled along";
        }
    }
}

TEST_F(ControlWindow, TypingIntoAToggleDoesNotToggleIt) {
    control().TDynamic->setText(QStringLiteral("Ye"));
    control().TDynamic->setCursorPosition(2);
    QTest::keyClicks(control().TDynamic, QStringLiteral("s"));
    EXPECT_EQ(control().TDynamic->text(), QStringLiteral("Yes"));
}

TEST_F(ControlWindow, SimulatePlacesTheDisplayBesideTheControlWindowWhereverItIs) {
    control().Tnc->setText(QStringLiteral("0")); // the run stops at once: only placing counts
    struct Move {
        QPoint control;
        QPoint display; // Left + 5000 twips is 333.3 pixels
    };
    const Move rows[] = {{{100, 50}, {433, 50}}, {{200, 100}, {533, 100}}, {{1100, 0}, {1433, 0}}};
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

TEST_F(ControlWindow, EndAndTheCloseButtonEndTheProgram) {
    for (bool viaEnd : {true, false}) {
        platform::resetProgram();
        control().show();
        control().Tnc->setText(QStringLiteral("0"));
        simulate();
        ASSERT_TRUE(display().isVisible());
        if (viaEnd)
            click(control().Command2);
        else
            control().close();
        EXPECT_TRUE(platform::programEnded());
        EXPECT_EQ(platform::exitStatus(), 0);
        EXPECT_FALSE(control().isVisible());
        EXPECT_FALSE(display().isVisible());
    }
    EXPECT_TRUE(errors.empty());
}

TEST_F(ControlWindow, ClosingTheDisplayOnlyHidesIt) {
    control().Tnc->setText(QStringLiteral("0"));
    simulate();
    display().close();
    EXPECT_FALSE(platform::programEnded());
    simulate();
    EXPECT_TRUE(display().isVisible());
}

} // namespace
} // namespace kelvane::testing
