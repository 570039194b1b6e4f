#include "platform/forms/runtime.h"

#include "platform/core/random.h"
#include "platform/core/stack.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QTimerEvent>

#include <algorithm>
#include <cstdio>
#include <map>
#include <new>
#include <thread>
#include <utility>
#include <vector>

namespace platform {
namespace {

using std::chrono::steady_clock;

struct State {
    bool ended = false;
    int status = 0;
    std::function<void()> dispatchHook;
    // Until then a dispatch point does not ask the window system again.
    steady_clock::time_point nextFullDispatch{};
    ErrorReporter reporter;
    WarningReporter warningReporter;
    ErrorWording wording;
    std::map<std::type_index, QWidget*> instances;
};

State& state() {
    static State s;
    return s;
}

void closeWindows() {
    for (auto& [type, window] : state().instances)
        if (window)
            window->hide();
    if (QCoreApplication::instance())
        QCoreApplication::exit(state().status);
}

// One line, whatever the detail holds, so that a log keeps one entry per error.
void logError(const RuntimeError& error) {
    QString line = QCoreApplication::applicationName() + QStringLiteral(": run-time error: ") +
                   kindName(error.kind());
    if (!error.detail().isEmpty())
        line += QStringLiteral(": ") + error.detail().simplified();
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

// A message box titled with the program's name over the active window, where there are windows.
void showMessage(QMessageBox::Icon icon, const QString& text) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    QMessageBox box(icon, QApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    // What the user typed is quoted in the text and must not be taken for markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

// False where the program had ended already.
bool markEnded(int status) {
    State& s = state();
    if (s.ended)
        return false;
    s.ended = true;
    s.status = status;
    return true;
}

void reportAndEnd(const RuntimeError& error) {
    // Ended before the report shows, so that its own event loop runs no handler of the program.
    if (!markEnded(1))
        return;
    logError(error);
    if (state().reporter)
        state().reporter(error);
    else
        showMessage(QMessageBox::Critical, reportText(error));
    closeWindows();
}

[[noreturn, gnu::cold, gnu::noinline]] void unwindEnded() {
    throw ProgramEnded{};
}

// Asks the window system, at a few microseconds a time: a poll of the event loop's wake-up
// descriptor and a round of its sources even when nothing waits.
[[gnu::cold, gnu::noinline]] void fullDispatch(State& s, steady_clock::time_point now) {
    // Set before the handlers run: a nested run inside them starts its own count from here, and
    // one that outlasts the interval leaves the next point due at once.
    s.nextFullDispatch = now + fullDispatchInterval;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// A button pressed through the accessibility interface clicks on a timer of its own. Its timer
// events are held through the pause and handed back for the next dispatch, where the click and
// its handler run as a mouse click would.
class HeldButtonTimers : public QObject {
    using Timer = std::pair<QPointer<QAbstractButton>, int>;

  public:
    ~HeldButtonTimers() override {
        for (auto& [button, id] : held_)
            if (button)
                QCoreApplication::postEvent(button, new QTimerEvent(id));
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Timer)
            return false;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button)
            return false;
        const Timer timer(button, static_cast<QTimerEvent*>(event)->timerId());
        if (std::ranges::find(held_, timer) == held_.end())
            held_.push_back(timer);
        return true;
    }

  private:
    std::vector<Timer> held_;
};

} // namespace

void endProgram() {
    requestEnd(0);
    throw ProgramEnded{};
}

void requestEnd(int status) {
    if (markEnded(status))
        closeWindows();
}

bool programEnded() {
    return state().ended;
}
int exitStatus() {
    return state().status;
}

void dispatchEvents() {
    State& s = state();
    if (s.ended) [[unlikely]]
        unwindEnded();
    if (s.dispatchHook) [[unlikely]]
        s.dispatchHook();
    if (!s.ended) [[likely]] {
        // Other threads (the window system's reader, the accessibility bus) only wake the event
        // loop through a descriptor of its own, which no cheaper test can read: the clock, read
        // in user space, decides instead.
        const auto now = steady_clock::now();
        if (now >= s.nextFullDispatch) [[unlikely]]
            fullDispatch(s, now);
    }
    if (s.ended) [[unlikely]]
        unwindEnded();
}

void pauseUntil(steady_clock::time_point deadline) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || app->thread() != QThread::currentThread()) {
        std::this_thread::sleep_until(deadline);
        return;
    }
    HeldButtonTimers held;
    app->installEventFilter(&held);
    // The timer only wakes the wait; waiting for events is what keeps the process asleep.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    for (;;) {
        const auto left = deadline - steady_clock::now();
        if (left <= steady_clock::duration::zero() || programEnded())
            break;
        const auto whole = std::chrono::duration_cast<std::chrono::milliseconds>(left);
        if (whole.count() == 0) {
            std::this_thread::sleep_until(deadline);
            break;
        }
        wake.start(whole);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    }
    app->removeEventFilter(&held);
    if (programEnded())
        throw ProgramEnded{};
}

void setDispatchHook(std::function<void()> hook) {
    state().dispatchHook = std::move(hook);
}

void runHandler(const std::function<void()>& handler) noexcept {
    if (state().ended || !handler)
        return;
    try {
        // A handler can start inside another one's dispatch, and that one inside another: a user
        // who keeps clicking nests them without end. Stop in order while there is room to report.
        checkStack();
        handler();
    } catch (const ProgramEnded&) {
        // The program has ended; the handler stops here.
    } catch (const RuntimeError& error) {
        reportAndEnd(error);
    } catch (const std::bad_alloc&) {
        reportAndEnd(RuntimeError(ErrorKind::OutOfMemory, {}));
    } catch (const std::exception& error) {
        reportAndEnd(RuntimeError(ErrorKind::ObjectCall, QString::fromLocal8Bit(error.what())));
    }
}

void setErrorReporter(ErrorReporter reporter) {
    state().reporter = std::move(reporter);
}

void setWarningReporter(WarningReporter reporter) {
    state().warningReporter = std::move(reporter);
}

void reportWarning(const QString& message) {
    if (state().warningReporter)
        state().warningReporter(message);
    else
        showMessage(QMessageBox::Warning, message);
}

void setErrorWording(ErrorWording wording) {
    state().wording = std::move(wording);
}

QString errorText(const RuntimeError& error) {
    QString words;
    if (state().wording) {
        // The wording reads the windows; should that fail, the plain description still serves.
        try {
            words = state().wording(error);
        } catch (...) {
            words.clear();
        }
    }
    return words.isEmpty() ? describe(error.kind()) : words;
}

QString reportText(const RuntimeError& error) {
    return errorText(error) + QStringLiteral("\n\nThe program will close when you press OK.");
}

void resetProgram() {
    State& s = state();
    for (auto& [type, window] : s.instances)
        delete window;
    s.instances.clear();
    s.ended = false;
    s.status = 0;
    s.dispatchHook = nullptr;
    s.nextFullDispatch = {};
    resetRandom();
}

QWidget*& detail::instance(std::type_index type) {
    return state().instances[type];
}

} // namespace platform
