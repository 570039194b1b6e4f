#pragma once

#include "platform/core/clock.h"
#include "platform/core/errors.h"
#include "platform/forms/form.h"
#include "tessaly/fibonacci.h"

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <optional>

namespace tessaly {

// The calculator window: computes the Fibonacci number of an index by plain double recursion,
// as many times as asked, and shows the result and the average time it took.
class Form1 : public platform::Form {
    Q_OBJECT

  public:
    Form1();

    // "Start": runs the cycles. A click during a run starts a whole second run inside it.
    void StartSyncCommand_Click();
    // "Cancel" while a run goes on, "End" when idle, nothing while cancelling.
    void EndSyncCommand_Click();

    // countedFibonacci on this window's cancel and cntx, yielding to the window's event dispatch.
    std::int64_t Fibonacci(const double& n);

    QPushButton* StartSyncCommand;
    QPushButton* EndSyncCommand;
    platform::TextBox* NText;
    platform::ControlArray<platform::TextBox> ResultText;
    QLabel* Label1;
    platform::TextBox* nT;
    platform::TextBox* cntT;

    // 1 once the user has asked to cancel the run; set back to 0 only by the next Start.
    std::int16_t cancel = 0;
    // The counted calls of the current run, over all its cycles.
    CallCount cntx;

    // Turns "Canceled" to "End" once a double click's time has passed since the cancel.
    QTimer cancelSettling;

  private:
    // "End" on the button and "Start" shown: the window is idle.
    void showIdle();
    // A cancelled run has left: idle, but not before the second press of a double click on
    // "Cancel" has come and found "Canceled", which ignores it, rather than "End", which quits.
    void settleCancel();
    // When the latest cancel was pressed, on the program's clock.
    platform::Clock::Duration cancelledAt_{};
    // Cancels pressed since the window opened. A cycle during which one came, in a run nested in
    // it too, holds a partial sum even when a Start there has set cancel back to 0.
    std::uint64_t cancels_ = 0;
    // The runs under way, nested ones included: the pointer is busy while there is one.
    int runsUnderWay_ = 0;
};

// The average seconds per cycle as the window shows it: a leading blank for the sign and no more
// digits than the clock can honestly give.
QString averageText(double seconds, std::int64_t cycles);

// The calculator's words for a run-time error: what went wrong with the index or the number of
// cycles in the window, and what to type instead. Empty where the window has nothing to add.
QString errorWords(const platform::RuntimeError& error);

} // namespace tessaly
