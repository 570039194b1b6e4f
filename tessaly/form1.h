#pragma once

#include "clock.h"
#include "form.h"

#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <optional>

namespace tessaly {

// How many counted calls a run has made. It is kept as the calls still to go until the next
// event dispatch, so that counting a call costs one decrement and the dispatch test comes with
// it. Being 64 bits wide it does not overflow: at a billion calls a second that would take
// centuries.
class CallCount {
  public:
    // One event dispatch per this many counted calls.
    static constexpr std::int64_t pace = 10000;

    CallCount& operator=(std::int64_t calls) {
        const std::int64_t past = ((calls % pace) + pace) % pace;
        paced_ = calls - past;
        untilDispatch_ = pace - past;
        return *this;
    }
    operator std::int64_t() const { return paced_ + (pace - untilDispatch_); }

    // The recursion keeps the countdown in a register and hands it back only where the count
    // can be read: at a dispatch and when a computation returns.
    std::int64_t untilDispatch() const { return untilDispatch_; }
    void setUntilDispatch(std::int64_t calls) { untilDispatch_ = calls; }
    // The countdown has run out: the count stands on a multiple of the pace.
    void reachPace() {
        paced_ += pace;
        untilDispatch_ = pace;
    }

    // Counts one call; true when the count has reached a multiple of the pace.
    bool countOne() {
        if (--untilDispatch_ != 0) [[likely]]
            return false;
        paced_ += pace;
        untilDispatch_ = pace;
        return true;
    }

  private:
    std::int64_t paced_ = 0;
    std::int64_t untilDispatch_ = pace;
};

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

    // The Fibonacci number of n by double recursion, counting the calls in cntx and yielding to
    // event dispatch once every CallCount::pace counted calls; gives up once cancel is 1, and
    // then returns a partial sum that means nothing. An index whose number exceeds 64 bits is
    // the overflow error before any call is counted.
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
    class BusyPointer;

    // A partial sum and the calls still to go until the next dispatch, both in registers.
    struct Partial {
        std::int64_t sum;
        std::int64_t untilDispatch;
    };
    // Fibonacci for an index above 1, where the calls are counted. A whole index runs on
    // integers, which subtract and compare exactly as the doubles would below 2^53.
    template <class Index> Partial counted(Index n, std::int64_t untilDispatch);
    static void setCaption(QPushButton* button, const QString& caption);
};

// The average seconds per cycle as the window shows it: a leading blank for the sign and no more
// digits than the clock can honestly give.
QString averageText(double seconds, std::int64_t cycles);

} // namespace tessaly
