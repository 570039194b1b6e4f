#include "tessaly/form1.h"

#include "platform/core/numeric.h"
#include "platform/core/text.h"
#include "platform/forms/qt_colour.h"
#include "platform/forms/runtime.h"

#include <QGuiApplication>
#include <QPalette>
#include <QScopeGuard>
#include <QStyleHints>

#include <chrono>
#include <limits>

namespace tessaly {
namespace {

void setCaption(QPushButton* button, const QString& caption) {
    button->setText(caption);
    button->setAccessibleName(caption);
}

using platform::ErrorKind;

constexpr auto mostCycles = std::numeric_limits<std::int32_t>::max();
// The input that run-time errors from the number of cycles name.
constexpr QStringView cyclesInput = u"cycles";

QString cyclesWords(const platform::Cause& cause) {
    if (!cause.value)
        return QStringLiteral("The number of cycles you typed, %1, is too large to read as a "
                              "number. A run can have at most %2 cycles.")
            .arg(platform::quoteTyped(cause.typed))
            .arg(mostCycles);
    return QStringLiteral("The number of cycles, %1, is more than this calculator can count. "
                          "A run can have at most %2 cycles.")
        .arg(platform::numberText(*cause.value).trimmed())
        .arg(mostCycles);
}

} // namespace

// Ten characters, the leading blank included, fit the result box in the forms' font.
constexpr int averageLength = 10;

QString averageText(double seconds, std::int64_t cycles) {
    const double average = seconds / static_cast<double>(cycles);
    // Seven significant digits are what the elapsed time is good for; fewer where an exponent or
    // leading zeros need the room, so that the whole text fits the box and its exponent shows.
    return platform::compactNumberText(average, 7, averageLength);
}

Form1::Form1() : Form(QStringLiteral("Tessaly Calculator"), 3750, 1995) {
    StartSyncCommand = addButton("StartSyncCommand", QStringLiteral("Start"), 240, 1440, 975, 375);
    EndSyncCommand = addButton("EndSyncCommand", QStringLiteral("End"), 1440, 1440, 975, 375);
    NText = addTextBox("NText", QStringLiteral("1"), QStringLiteral("Index"), 240, 240, 975, 375);
    ResultText.append(addTextBox("ResultText(0)", QStringLiteral("No result"),
                                 QStringLiteral("Fibonacci number"), 1440, 240, 975, 375));
    ResultText.append(addTextBox("ResultText(1)", QStringLiteral("No result"),
                                 QStringLiteral("Seconds per cycle"), 2640, 240, 975, 375));
    Label1 = addLabel("Label1", QStringLiteral("Cycle"), 600, 840, 615, 255);
    nT = addTextBox("nT", QStringLiteral("1"), QStringLiteral("Cycle"), 1440, 840, 975, 375);
    cntT =
        addTextBox("cntT", QStringLiteral("0"), QStringLiteral("Cycles done"), 2640, 840, 975, 375);
    Label1->setBuddy(nT);

    // The output boxes stand out from the input boxes on the face colour of the buttons.
    const platform::Colour face = platform::fromQColor(palette().color(QPalette::Button));
    for (platform::TextBox* output : {&ResultText(0), &ResultText(1), cntT})
        platform::setBackColor(output, face);

    platform::connectHandler(StartSyncCommand, &QPushButton::clicked,
                             [this] { StartSyncCommand_Click(); });
    platform::connectHandler(EndSyncCommand, &QPushButton::clicked,
                             [this] { EndSyncCommand_Click(); });

    cancelSettling.setSingleShot(true);
    // A coarse timer may fire a little early, and the interval is the least that must pass.
    cancelSettling.setTimerType(Qt::PreciseTimer);
    cancelSettling.callOnTimeout(this, [this] { showIdle(); });

    StartSyncCommand->setFocus();
    setEndsProgramWhenClosed(true);
}

void Form1::StartSyncCommand_Click() {
    // The busy pointer from the start of the outermost run to its end, however it ends; the arrow
    // in it still says that the buttons take a click.
    if (runsUnderWay_++ == 0)
        setCursor(Qt::BusyCursor);
    const auto idle = qScopeGuard([this] {
        if (--runsUnderWay_ == 0)
            unsetCursor();
    });
    double cycles = platform::leadingNumber(nT->text(), cyclesInput.toString());
    if (cycles < 1)
        cycles = 1;
    const double index = platform::leadingNumber(NText->text(), indexInput.toString());
    ResultText(0).setText(QStringLiteral("0"));
    ResultText(1).setText(QStringLiteral("0"));
    // The monotonic clock: an elapsed time must not jump back at midnight.
    const platform::Clock::Duration start = platform::activeClock().monotonic();
    cntT->setText(QStringLiteral("0"));
    cancelSettling.stop();
    setCaption(EndSyncCommand, QStringLiteral("Cancel"));
    cancel = 0;
    cntx = 0;
    platform::dispatchEvents();

    const std::int32_t lastCycle = platform::toInt32(cycles, {cyclesInput.toString(), {}, cycles});
    std::optional<std::int64_t> result;
    const auto showResult = [&](std::int64_t cyclesRun) {
        // A run whose every cycle was skipped by a cancel has no result, and shows none.
        ResultText(0).setText(result ? QString::number(*result) : QString());
        const platform::Clock::Duration now = platform::activeClock().monotonic();
        ResultText(1).setText(
            averageText(std::chrono::duration<double>(now - start).count(), cyclesRun));
    };
    bool cycleUncut = true;
    // 64 bits, so that a last cycle of 2147483647 still ends the loop.
    for (std::int64_t cycle = 1; cycle <= lastCycle; ++cycle) {
        const std::uint64_t cancelsBefore = cancels_;
        std::optional<std::int64_t> sum;
        if (cancel == 0)
            sum = Fibonacci(index);
        platform::dispatchEvents();
        cycleUncut = cancels_ == cancelsBefore;
        // A partial sum never becomes the result.
        if (sum && cycleUncut)
            result = sum;
        if (cancel == 0 && cycleUncut) {
            showResult(cycle);
            cntT->setText(QString::number(cycle));
        }
        platform::dispatchEvents();
        // The cycles left after a cancel would show nothing, yet two billion of them keep a core
        // busy for most of an hour.
        if (cancel != 0)
            break;
    }

    // Divided by the cycles that ran, which is the count as typed rounded to a whole number: the
    // time of the two cycles of a count of 2.5 is shared by two, not by 2.5.
    if (cancel == 0 && cycleUncut)
        showResult(lastCycle);
    if (cancel == 0)
        showIdle();
    else
        settleCancel();
}

void Form1::showIdle() {
    cancelSettling.stop();
    setCaption(EndSyncCommand, QStringLiteral("End"));
    StartSyncCommand->setVisible(true);
}

void Form1::settleCancel() {
    const platform::Clock::Duration doubleClick =
        std::chrono::milliseconds(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    const platform::Clock::Duration left =
        cancelledAt_ + doubleClick - platform::activeClock().monotonic();
    if (left <= platform::Clock::Duration::zero()) {
        showIdle();
        return;
    }
    cancelSettling.start(std::chrono::ceil<std::chrono::milliseconds>(left));
}

void Form1::EndSyncCommand_Click() {
    if (platform::compareText(EndSyncCommand->text(), u"Cancel")) {
        cancelledAt_ = platform::activeClock().monotonic();
        ++cancels_;
        setCaption(EndSyncCommand, QStringLiteral("Canceled"));
        StartSyncCommand->setVisible(false);
        cancel = 1;
        platform::dispatchEvents();
        return;
    }
    if (platform::compareText(EndSyncCommand->text(), u"End"))
        platform::endProgram();
    // "Canceled": the run is already on its way out.
}

std::int64_t Form1::Fibonacci(const double& n) {
    return countedFibonacci(n, cancel, cntx, platform::dispatchEvents);
}

QString errorWords(const platform::RuntimeError& error) {
    if (!platform::hasInstance<Form1>())
        return {};
    const platform::Cause& cause = error.cause();
    switch (error.kind()) {
    case ErrorKind::Overflow:
        if (cause.input == cyclesInput)
            return cyclesWords(cause);
        if (cause.input == indexInput)
            return cause.value ? beyond64BitsWords(*cause.value)
                               : unreadableIndexWords(cause.typed);
        return {};
    case ErrorKind::OutOfStackSpace:
        // An index within 64 bits nests a few dozen levels: only runs started inside runs go
        // this deep.
        return QStringLiteral("Start was pressed during a run so many times that the runs, each "
                              "waiting inside the one before, need more room than the program "
                              "has. Let a run finish, or cancel it, before you press Start again.");
    default:
        return {};
    }
}

} // namespace tessaly
