#include "platform/forms/runtime.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QTimerEvent>

#include <algorithm>
#include <thread>
#include <utility>
#include <vector>

namespace platform {
namespace {

using std::chrono::steady_clock;

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

} // namespace platform
