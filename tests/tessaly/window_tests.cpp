#include "tests/tessaly/tessaly_fixture.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QStyleHints>
#include <QTimer>

namespace tessaly::testing {
namespace {

enum class Click { Start, End, Close };
using enum Click;

using Clicks = std::vector<std::pair<int, Click>>;

class Window : public TessalyTest {
  protected:
    // The clicks that land at dispatch n.
    static void pressAt(int n, const Clicks& clicks) {
        for (const auto& [at, what] : clicks)
            if (at == n && what == Close)
                form().close();
            else if (at == n)
                click(what == Start ? form().StartSyncCommand : form().EndSyncCommand);
    }
};

TEST_F(Window, ControlsInTabOrderAtTheirPlaces) {
    struct Control {
        const char* name;
        QRect pixels;
        QString text;
        QString accessibleName;
        bool output;
    };
    const Control controls[] = {
        {"StartSyncCommand", {16, 96, 65, 25}, "Start", "Start", false},
        {"EndSyncCommand", {96, 96, 65, 25}, "End", "End", false},
        {"NText", {16, 16, 65, 25}, "1", "Index", false},
        {"ResultText(0)", {96, 16, 65, 25}, "No result", "Fibonacci number", true},
        {"ResultText(1)", {176, 16, 65, 25}, "No result", "Seconds per cycle", true},
        {"Label1", {40, 56, 41, 17}, "Cycle", "Cycle", false},
        {"nT", {96, 56, 65, 25}, "1", "Cycle", false},
        {"cntT", {176, 56, 65, 25}, "0", "Cycles done", true},
    };
    EXPECT_EQ(form().windowTitle(), QStringLiteral("Tessaly Calculator"));
    EXPECT_EQ(form().size(), QSize(250, 133));
    const QList<QWidget*> children = form().findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(children.size(), std::size(controls));
    const QColor face = form().palette().color(QPalette::Button);
    const QColor box = QLineEdit().palette().color(QPalette::Base);
    for (std::size_t i = 0; i < std::size(controls); ++i) {
        const Control& c = controls[i];
        SCOPED_TRACE(c.name);
        QWidget* widget = children[static_cast<qsizetype>(i)]; // in creation, so tab, order
        EXPECT_EQ(widget->objectName(), QString::fromLatin1(c.name));
        EXPECT_EQ(widget->geometry(), c.pixels);
        EXPECT_EQ(widget->property("text").toString(), c.text);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->text(QAccessible::Name), c.accessibleName);
        if (widget->inherits("QLineEdit")) {
            EXPECT_EQ(widget->palette().color(widget->backgroundRole()), c.output ? face : box);
        }
    }
    EXPECT_EQ(form().focusWidget(), form().StartSyncCommand);
    EXPECT_EQ(form().StartSyncCommand->nextInFocusChain(), form().EndSyncCommand);
}

// A run with clicks landing at chosen dispatches, and what the window shows when it is over.
// The clock moves one second per dispatch, one before the cycles and two per cycle: c whole
// cycles of index 1 average (1 + 2c) / c at the end, and 2 as each cycle shows.
TEST_F(Window, ClicksDuringARun) {
    struct Script {
        const char* name;
        QString index, cycles;
        Clicks clicks;
        QString result, average, count;
        bool ended = false;
        QString caption = QStringLiteral("End");
    };
    const Script scripts[] = {
        {"defaults", "1", "1", {}, "1", " 3", "1"},
        // Dispatch 1 precedes the cycles; index 25 dispatches 12 times per computation.
        {"cancel inside the recursion", "25", "3", {{5, End}}, "0", "0", "0"},
        {"\"Canceled\" does nothing", "25", "3", {{5, End}, {9, End}, {12, End}}, "0", "0", "0"},
        // Cycle 1 shows at dispatch 3; the second computation dispatches at 20000 calls.
        {"cancel in cycle 2", "20", "3", {{5, End}}, "6765", " 3", "1"},
        {"cancel before the first cycle", "20", "2", {{1, End}}, "0", "0", "0"},
        // Each cycle of index 1 dispatches twice: 6 is in cycle 3, and the cycles left are left
        // at once, however many.
        {"cancel in cycle 3 of 2147483647", "1", "2147483647", {{6, End}}, "1", " 2", "2"},
        {"cancel in cycle 3 of 100000", "1", "100000", {{6, End}}, "1", " 2", "2"},
        // The inner run takes dispatches 3 to 9; the outer one shows at 10 and 13, ends at 14.
        {"start during a run", "20", "2", {{2, Start}}, "6765", " 7", "2"},
        // The caption already reads "End" when the outer run resumes.
        {"end after an inner run", "20", "2", {{2, Start}, {11, End}}, "6765", " 10", "1", true},
        // A cancel of the inner run cancels the outer one too.
        {"cancel in an inner run", "20", "2", {{2, Start}, {4, End}}, "0", "0", "0"},
        {"close during a run", "25", "2", {{4, Close}}, "0", "0", "0", true, "Cancel"},
        // A start after a cancelled inner run: the inner run takes dispatches 3 to 7, a third run
        // 9 to 23. What shows is the third run's, never the sum that the outer run had when the
        // cancel cut it short.
        {"start again", "25", "1", {{2, Start}, {4, End}, {8, Start}}, "75025", " 15", "1"},
        // The count as typed, rounded half to even; below one, or no number, is one cycle.
        {"0 cycles", "1", "0", {}, "1", " 3", "1"},
        {"-3 cycles", "1", "-3", {}, "1", " 3", "1"},
        {"no cycles typed", "1", "", {}, "1", " 3", "1"},
        {"abc cycles", "1", "abc", {}, "1", " 3", "1"},
        {"0.5 cycles", "1", "0.5", {}, "1", " 3", "1"},
        {"1.5 cycles", "1", "1.5", {}, "1", " 2.5", "2"},
        {"2.5 cycles", "1", "2.5", {}, "1", " 2.5", "2"},
        {"3.5 cycles", "1", "3.5", {}, "1", " 2.25", "4"},
        {"7 cycles and words", "1", " 7 cycles", {}, "1", " 2.142857", "7"},
        {"32767 cycles", "1", "32767", {}, "1", " 2.000031", "32767"},
        {"40000 cycles", "1", "40000", {}, "1", " 2.000025", "40000"},
        // All 2147483647 cycles would take hours: the count runs until the window is closed.
        {"close in cycle 4", "1", "2147483647", {{8, Close}}, "1", " 2", "3", true, "Cancel"},
    };
    for (const Script& script : scripts) {
        SCOPED_TRACE(script.name);
        TearDown();
        SetUp();
        EXPECT_EQ(form().cursor().shape(), Qt::ArrowCursor);
        atDispatch([&](int n) {
            EXPECT_TRUE(inStateTable()) << n;
            EXPECT_EQ(form().cursor().shape(), Qt::BusyCursor) << n;
            pressAt(n, script.clicks);
            if (n > 100000) // a run that never ends
                form().close();
        });
        start(script.index, script.cycles);
        EXPECT_EQ(result(), script.result);
        EXPECT_EQ(average(), script.average);
        EXPECT_EQ(count(), script.count);
        EXPECT_EQ(caption(), script.caption);
        EXPECT_EQ(platform::programEnded(), script.ended);
        EXPECT_TRUE(errors.empty());
        if (!script.ended) {
            EXPECT_TRUE(form().StartSyncCommand->isVisible());
            EXPECT_EQ(form().cursor().shape(), Qt::ArrowCursor);
        }
    }
}

TEST_F(Window, AfterACancelledRunANewStartRunsNormally) {
    atDispatch([](int n) {
        if (n == 2)
            click(form().EndSyncCommand);
    });
    start("25", "1");
    ASSERT_EQ(form().cancel, 1);
    atDispatch();
    click(form().StartSyncCommand);
    EXPECT_EQ(result(), QStringLiteral("75025"));
    EXPECT_EQ(form().cntx, 121392);
}

// The second press of a double click on "Cancel", by mouse or by Enter, comes after the run has
// left: it finds "Canceled", which ignores it, and the program goes on. The clock moves by step at
// every dispatch; the double-click interval is 400 ms unless the desktop says otherwise.
TEST_F(Window, ASecondPressSoonAfterACancelDoesNotQuit) {
    using std::chrono::milliseconds;
    const milliseconds doubleClick(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    struct Row {
        const char* name;
        QString index, cycles;
        Clicks clicks;
        milliseconds step;
        bool settling; // "Canceled" still shows when the run has left
    };
    const Row rows[] = {
        {"cancel inside the recursion", "25", "3", {{3, End}}, milliseconds(0), true},
        {"cancel before the first cycle", "20", "2", {{1, End}}, milliseconds(1), true},
        {"cancel in a nested run", "20", "2", {{2, Start}, {4, End}}, milliseconds(0), true},
        {"a double click's time has passed", "25", "3", {{3, End}}, doubleClick, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        atDispatch([&](int n) { pressAt(n, row.clicks); }, row.step);
        start(row.index, row.cycles);
        ASSERT_FALSE(platform::programEnded());
        QTimer& settling = form().cancelSettling;
        EXPECT_EQ(settling.isActive(), row.settling);
        if (row.settling) {
            EXPECT_EQ(caption(), QStringLiteral("Canceled"));
            EXPECT_TRUE(form().StartSyncCommand->isHidden());
            EXPECT_LE(milliseconds(settling.remainingTime()), doubleClick);
            EXPECT_GT(milliseconds(settling.remainingTime()), doubleClick - milliseconds(100));
            click(form().EndSyncCommand);
            QTest::keyClick(form().EndSyncCommand, Qt::Key_Return);
            EXPECT_FALSE(platform::programEnded());
            QMetaObject::invokeMethod(&settling, "timeout");
        }
        EXPECT_EQ(caption(), QStringLiteral("End"));
        EXPECT_TRUE(form().StartSyncCommand->isVisible());
        EXPECT_TRUE(inStateTable());
        QTest::keyClick(form().EndSyncCommand, Qt::Key_Return);
        EXPECT_TRUE(platform::programEnded());
        EXPECT_EQ(platform::exitStatus(), 0);
    }
}

TEST_F(Window, RunsNestedDeeperThanTheStackAllowsEndInAnOrderlyError) {
    int deepest = 0, depth = 0;
    atDispatch([&](int) {
        deepest = std::max(deepest, ++depth);
        click(form().StartSyncCommand); // at the first dispatch of every run, without end
        --depth;
    });
    start("1", "1");
    EXPECT_EQ(errors, std::vector{platform::ErrorKind::OutOfStackSpace});
    EXPECT_EQ(platform::exitStatus(), 1);
    EXPECT_GT(deepest, 100);
}

TEST_F(Window, ElapsedTimeGoesOnAcrossMidnight) {
    clock = platform::FakeClock(86399.0); // one second before midnight
    start("1", "1");
    ASSERT_LT(platform::clockSeconds(), 10.0f);
    EXPECT_EQ(average(), QStringLiteral(" 3"));
}

} // namespace
} // namespace tessaly::testing
