#include "tests/tessaly/tessaly_fixture.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QStyleHints>
#include <QTimer>

namespace tessaly::testing {
namespace {

using Window = TessalyTest;

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

TEST_F(Window, EndWhenIdleEndsTheProgram) {
    click(form().EndSyncCommand);
    EXPECT_TRUE(platform::programEnded());
    EXPECT_EQ(platform::exitStatus(), 0);
    EXPECT_FALSE(form().isVisible());
}

enum class Click { Start, End, Close };

// A run with clicks landing at chosen dispatches, and what the window shows when it is over.
struct Script {
    const char* name;
    QString index, cycles;
    std::vector<std::pair<int, Click>> clicks;
    QString result, average, count, caption;
    bool ended;
};

TEST_F(Window, ClicksDuringARun) {
    const Script scripts[] = {
        {"defaults", "1", "1", {}, "1", " 3", "1", "End", false},
        // Dispatch 1 precedes the cycles; index 25 dispatches 12 times per computation.
        {"cancel inside the recursion", "25", "3", {{5, Click::End}}, "0", "0", "0", "End", false},
        {"\"Canceled\" does nothing",
         "25",
         "3",
         {{5, Click::End}, {9, Click::End}, {12, Click::End}},
         "0",
         "0",
         "0",
         "End",
         false},
        // Cycle 1 shows at dispatch 3; the second computation dispatches at 20000 calls.
        {"cancel in cycle 2", "20", "3", {{5, Click::End}}, "6765", " 3", "1", "End", false},
        {"cancel before the first cycle",
         "20",
         "2",
         {{1, Click::End}},
         "0",
         "0",
         "0",
         "End",
         false},
        // The inner run takes dispatches 3 to 9; the outer one shows at 10 and 13, ends at 14.
        {"start during a run", "20", "2", {{2, Click::Start}}, "6765", " 7", "2", "End", false},
        // The caption already reads "End" when the outer run resumes.
        {"end after an inner run",
         "20",
         "2",
         {{2, Click::Start}, {11, Click::End}},
         "6765",
         " 10",
         "1",
         "End",
         true},
        {"cancelling the inner run cancels the outer one",
         "20",
         "2",
         {{2, Click::Start}, {4, Click::End}},
         "0",
         "0",
         "0",
         "End",
         false},
        {"close during a run", "25", "2", {{4, Click::Close}}, "0", "0", "0", "Cancel", true},
        // The inner run takes dispatches 3 to 7, a third run 9 to 23: what shows is the third
        // run's, never the sum that the outer run had when the cancel cut it short.
        {"a start after a cancelled inner run",
         "25",
         "1",
         {{2, Click::Start}, {4, Click::End}, {8, Click::Start}},
         "75025",
         " 15",
         "1",
         "End",
         false},
    };
    for (const Script& script : scripts) {
        SCOPED_TRACE(script.name);
        TearDown();
        SetUp();
        atDispatch([&](int n) {
            EXPECT_TRUE(inStateTable()) << n;
            for (const auto& [at, what] : script.clicks)
                if (at == n) {
                    if (what == Click::Close)
                        form().close();
                    else
                        click(what == Click::Start ? form().StartSyncCommand
                                                   : form().EndSyncCommand);
                }
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
        }
    }
}

TEST_F(Window, ACancelledRunLeavesItsRemainingCyclesAtOnce) {
    for (const char* cycles : {"2147483647", "100000"}) {
        SCOPED_TRACE(cycles);
        TearDown();
        SetUp();
        // Dispatch 1 precedes the cycles, each cycle dispatches twice: 6 is in cycle 3.
        std::chrono::steady_clock::time_point cancelled;
        atDispatch([&](int n) {
            if (n == 6) {
                click(form().EndSyncCommand);
                cancelled = std::chrono::steady_clock::now();
            }
            if (n > 1000) // without the early exit the run would go on for an hour
                form().close();
        });
        start("1", QString::fromLatin1(cycles));
        const auto idle = std::chrono::steady_clock::now() - cancelled;
        EXPECT_LT(idle, std::chrono::milliseconds(50));
        EXPECT_LE(dispatches, 8);
        EXPECT_FALSE(platform::programEnded());
        EXPECT_EQ(caption(), QStringLiteral("End"));
        EXPECT_TRUE(form().StartSyncCommand->isVisible());
        EXPECT_EQ(result(), QStringLiteral("1"));
        EXPECT_EQ(count(), QStringLiteral("2"));
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

// The busy pointer over the window at every dispatch of a run, also after a nested run has
// ended inside it, and the window's own pointer again once the outermost run has left.
TEST_F(Window, ThePointerIsBusyWhileARunIsUnderWay) {
    const Script scripts[] = {
        {"a whole run", "20", "2", {}, {}, {}, {}, {}, false},
        {"a cancelled run", "25", "3", {{5, Click::End}}, {}, {}, {}, {}, false},
        {"a nested run", "20", "2", {{2, Click::Start}}, {}, {}, {}, {}, false},
        {"a cancelled nested run",
         "20",
         "2",
         {{2, Click::Start}, {4, Click::End}},
         {},
         {},
         {},
         {},
         false},
    };
    for (const Script& script : scripts) {
        SCOPED_TRACE(script.name);
        TearDown();
        SetUp();
        EXPECT_EQ(form().cursor().shape(), Qt::ArrowCursor);
        atDispatch([&](int n) {
            EXPECT_EQ(form().cursor().shape(), Qt::BusyCursor) << n;
            for (const auto& [at, what] : script.clicks)
                if (at == n)
                    click(what == Click::Start ? form().StartSyncCommand : form().EndSyncCommand);
        });
        start(script.index, script.cycles);
        EXPECT_GT(dispatches, 3);
        EXPECT_EQ(form().cursor().shape(), Qt::ArrowCursor);
    }
}

// The count of cycles as typed, and the average: the clock moves one second per dispatch, one
// before the cycles and two per cycle, so c cycles show (1 + 2c) / c at the end.
// The second press of a double click on "Cancel", by mouse or by Enter, comes after the run has
// left: it finds "Canceled", which ignores it, and the program goes on. The clock moves by step at
// every dispatch; the double-click interval is 400 ms unless the desktop says otherwise.
TEST_F(Window, ASecondPressSoonAfterACancelDoesNotQuit) {
    using std::chrono::milliseconds;
    const milliseconds doubleClick(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    struct Row {
        const char* name;
        QString index, cycles;
        std::vector<std::pair<int, Click>> clicks;
        milliseconds step;
        bool settling; // "Canceled" still shows when the run has left
    };
    const Row rows[] = {
        {"cancel inside the recursion", "25", "3", {{3, Click::End}}, milliseconds(0), true},
        {"cancel before the first cycle", "20", "2", {{1, Click::End}}, milliseconds(1), true},
        {"cancel in a nested run",
         "20",
         "2",
         {{2, Click::Start}, {4, Click::End}},
         milliseconds(0),
         true},
        {"a double click's time has passed", "25", "3", {{3, Click::End}}, doubleClick, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        int n = 0;
        platform::setDispatchHook([&] {
            clock.advance(row.step);
            ++n;
            for (const auto& [at, what] : row.clicks)
                if (at == n)
                    click(what == Click::Start ? form().StartSyncCommand : form().EndSyncCommand);
        });
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

TEST_F(Window, CycleCounts) {
    struct Cycles {
        QString typed;
        QString count, average;
        int closeAt = 0; // the dispatch at which the window is closed, if any
    };
    const Cycles rows[] = {
        {"0", "1", " 3", 0},
        {"-3", "1", " 3", 0},
        {"", "1", " 3", 0},
        {"abc", "1", " 3", 0},
        {"0.5", "1", " 3", 0},
        {"1.5", "2", " 2.5", 0},
        {"2.5", "2", " 2.5", 0},
        {"3.5", "4", " 2.25", 0},
        {" 7 cycles", "7", " 2.142857", 0},
        {"32767", "32767", " 2.000031", 0},
        {"40000", "40000", " 2.000025", 0},
        // All cycles would take hours: the count runs until the window is closed.
        {"2147483647", "3", " 2", 8},
    };
    for (const Cycles& row : rows) {
        SCOPED_TRACE(row.typed.toStdString());
        TearDown();
        SetUp();
        atDispatch([&](int n) {
            if (n == row.closeAt)
                form().close();
        });
        start("1", row.typed);
        EXPECT_EQ(count(), row.count);
        EXPECT_EQ(average(), row.average);
        EXPECT_TRUE(errors.empty());
        EXPECT_EQ(platform::programEnded(), row.closeAt != 0);
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
