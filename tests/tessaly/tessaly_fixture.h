#pragma once

#include "platform/forms/runtime.h"
#include "tessaly/form1.h"
#include "tests/support/program_test.h"

#include <QTest>

#include <chrono>
#include <functional>
#include <vector>

namespace tessaly::testing {

// A fresh program start for every test: a new window, shown; a fake clock that moves one second
// at every dispatch, so that averages come out as known numbers; run-time errors captured.
class TessalyTest : public platform::testing::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        form().show();
        atDispatch();
    }

    static Form1& form() { return platform::ensureInstance<Form1>(); }
    static QString result() { return form().ResultText(0).text(); }
    static QString average() { return form().ResultText(1).text(); }
    static QString count() { return form().cntT->text(); }
    static QString caption() { return form().EndSyncCommand->text(); }

    // Whether the window shows one of its three states: idle ("End", "Start" shown; cancel 0, or
    // 1 after a cancelled run), running ("Cancel", "Start" shown, cancel 0) or cancelling
    // ("Canceled", "Start" hidden, cancel 1).
    static bool inStateTable() {
        const QString now = caption();
        const bool shown = !form().StartSyncCommand->isHidden();
        const int cancel = form().cancel;
        return (now == QStringLiteral("End") && shown && (cancel == 0 || cancel == 1)) ||
               (now == QStringLiteral("Cancel") && shown && cancel == 0) ||
               (now == QStringLiteral("Canceled") && !shown && cancel == 1);
    }

    // Runs with the texts given, as a user would: type them, click "Start".
    void start(const QString& index, const QString& cycles) {
        form().NText->setText(index);
        form().nT->setText(cycles);
        click(form().StartSyncCommand);
    }

    // Counts the dispatches (from 1), moves the clock by step at each and then runs action with
    // the number of the dispatch. Clicks made in action land inside the run.
    void atDispatch(std::function<void(int)> action = {},
                    std::chrono::milliseconds step = std::chrono::seconds(1)) {
        dispatches = 0;
        onDispatch([this, step, action = std::move(action)](int dispatch) {
            clock.advance(step);
            if (action)
                action(dispatch);
        });
    }
};

} // namespace tessaly::testing
