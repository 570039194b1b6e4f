#include "platform/forms/application_start.h"

#include "platform/core/command_line.h"
#include "platform/forms/window_system.h"

#include <QByteArray>
#include <QFileInfo>
#include <QScreen>

#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};

// A message or signal handler is a plain function: what it needs lives here while the
// application starts. Its lines end in their line break already: a signal handler may write a
// line, but not make one.
struct Start {
    QByteArray unreachable;
    std::vector<HeldMessage> held;
};
Start* current = nullptr;

[[noreturn]] void failWith(const QByteArray& text) {
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, text.constData(), text.size());
    // Half-made Qt objects must not be destroyed, nor the abort that follows reached.
    std::_Exit(1);
}

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg)
        failWith(current->unreachable);
    current->held.push_back({type, QByteArray(context.category), text});
}

// Qt reads the server's answers while it sets up without checking each for a lost connection: a
// server that dies midway leaves it reading nothing, and it crashes or writes into a closed
// socket. Until the application stands, that is the window system failing, not the program.
void lostServer(int) {
    failWith(current->unreachable);
}

class LostServerGuard {
  public:
    LostServerGuard() {
        struct sigaction action = {};
        action.sa_handler = lostServer;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(signals_); ++i)
            sigaction(signals_[i], &action, &previous_[i]);
    }
    ~LostServerGuard() {
        for (std::size_t i = 0; i < std::size(signals_); ++i)
            sigaction(signals_[i], &previous_[i], nullptr);
    }
    LostServerGuard(const LostServerGuard&) = delete;
    LostServerGuard& operator=(const LostServerGuard&) = delete;

  private:
    static constexpr int signals_[] = {SIGSEGV, SIGBUS, SIGPIPE};
    struct sigaction previous_[std::size(signals_)] = {};
};

// A server that takes the connection and never answers would hold the start for ever.
class AnswerWatch {
  public:
    AnswerWatch(std::chrono::seconds limit, QByteArray line)
        : thread_([this, limit, line = std::move(line)] {
              std::unique_lock lock(mutex_);
              if (!answered_.wait_for(lock, limit, [this] { return done_; }))
                  failWith(line);
          }) {}
    ~AnswerWatch() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        answered_.notify_one();
        thread_.join();
    }
    AnswerWatch(const AnswerWatch&) = delete;
    AnswerWatch& operator=(const AnswerWatch&) = delete;

  private:
    std::mutex mutex_;
    std::condition_variable answered_;
    bool done_ = false;
    std::thread thread_; // last: it starts once the rest stands
};

// Some window systems run without showing anything but their own kind of surface: a window of
// the program would leave it running with nothing on the screen. Qt's plug-in of that kind makes
// the window all the same and only warns, so it is known by its name.
bool showsWindows() {
    return QGuiApplication::platformName() != QLatin1String("vkkhrdisplay");
}

// Without a session bus, the accessibility layer would have one launched for it: a daemon that
// outlives the program and leaves its files in the home folder. Such a session runs without one;
// the bus a user session provides in its runtime folder is found without the variable.
void keepSessionBusUnlaunched() {
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        return;
    const QString runtimeFolder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtimeFolder.isEmpty() && QFileInfo(runtimeFolder + QStringLiteral("/bus")).exists())
        return;
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}

QByteArray lineOf(const StartFailure& failure, const QString& reason) {
    return (failure.program + QStringLiteral(": ") + printable(reason) + QLatin1Char('\n'))
        .toLocal8Bit();
}

} // namespace

std::unique_ptr<QApplication> startApplication(int& argc, char** argv, const StartFailure& failure,
                                               std::chrono::seconds answerLimit) {
    keepSessionBusUnlaunched();
    Start start{lineOf(failure, failure.unreachable), {}};
    current = &start;
    const QtMessageHandler previous = qInstallMessageHandler(holdMessage);
    std::unique_ptr<QApplication> application;
    {
        const LostServerGuard guard;
        const AnswerWatch watch(answerLimit, lineOf(failure, failure.silent));
        application = std::make_unique<QApplication>(argc, argv);
        // A plug-in that finds no screen fails at the first window, with Qt's abort.
        if (!QGuiApplication::primaryScreen())
            failWith(start.unreachable);
        if (!showsWindows())
            failWith(lineOf(failure, windowlessDisplay(QGuiApplication::platformName())));
    }
    qInstallMessageHandler(previous);
    current = nullptr;
    for (const HeldMessage& message : start.held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        previous(message.type, context, message.text);
    }
    return application;
}

} // namespace platform
