#include "platform/core/clock.h"
#include "platform/core/command_line.h"
#include "platform/forms/frame_extents.h"
#include "platform/forms/runtime.h"
#include "platform/forms/window_system.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QScreen>
#include <QWindow>

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

using namespace std::chrono_literals;

// How long the window system may take to answer while the application starts.
constexpr std::chrono::seconds answerLimit = 10s;

// Message and signal handlers are plain functions: what they need lives here. Each line ends in
// its line break already: a signal handler may write a line, but not make one.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
QByteArray unreachableText;
QByteArray lostText;
std::vector<HeldMessage> held;
QtMessageHandler previousHandler = nullptr;

// Half-made Qt objects, or windows on a server that is gone, must not be taken down, nor an abort
// of Qt's reached: the line alone, then out.
[[noreturn]] void exitWith(const QByteArray& line) {
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line.constData(), line.size());
    std::_Exit(1);
}

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg)
        exitWith(unreachableText);
    held.push_back({type, QByteArray(context.category), text});
}

// Qt reads the server's answers while it sets up without checking each for a lost connection: a
// server that dies midway leaves it reading nothing, and it crashes or writes into a closed
// socket. Until the application stands, that is the window system failing, not the program.
class LostServerGuard {
  public:
    LostServerGuard() {
        struct sigaction action = {};
        action.sa_handler = [](int) { exitWith(unreachableText); };
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

QByteArray lineOf(const QString& program, const QString& reason) {
    return (program + QStringLiteral(": ") + printable(reason) + QLatin1Char('\n')).toLocal8Bit();
}

// Creates the application. Should Qt fail to reach the window system, it would abort the process
// after several lines of its own, or crash on the answers of a server that dies midway, or wait
// for ever on one that never answers; instead the user reads one line alone on standard error and
// the process exits with status 1. The messages Qt gives while it starts are held back until the
// application stands and is known to show windows, so that a failure prints nothing but that line.
std::unique_ptr<QApplication> startApplication(int& argc, char** argv, const QString& program,
                                               const WindowSystemEnvironment& environment) {
    keepSessionBusUnlaunched();
    unreachableText = lineOf(program, unreachableDisplay(environment));
    previousHandler = qInstallMessageHandler(holdMessage);
    std::unique_ptr<QApplication> application;
    {
        const LostServerGuard guard;
        // A server that takes the connection and never answers would hold the start for ever.
        const std::jthread answerWatch(
            [silent = lineOf(program, silentDisplay(environment, int(answerLimit.count())))](
                std::stop_token answered) {
                std::mutex mutex;
                std::condition_variable_any wake;
                std::unique_lock lock(mutex);
                wake.wait_for(lock, answered, answerLimit, [] { return false; });
                if (!answered.stop_requested())
                    exitWith(silent);
            });
        application = std::make_unique<QApplication>(argc, argv);
        // A plug-in that finds no screen fails at the first window, with Qt's abort.
        if (!QGuiApplication::primaryScreen())
            exitWith(unreachableText);
        // Some window systems show nothing but their own kind of surface: a window of the program
        // would leave it running with nothing on the screen. Qt's plug-in of that kind makes the
        // window all the same and only warns, so it is known by its name.
        if (QGuiApplication::platformName() == QLatin1String("vkkhrdisplay"))
            exitWith(lineOf(program, windowlessDisplay(QGuiApplication::platformName())));
    }
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage& message : std::exchange(held, {})) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        previousHandler(message.type, context, message.text);
    }
    return application;
}

// A server that goes away answers nothing more: a round trip tells a destroy by another client
// from the server's own end.
bool xServerGone(xcb_connection_t* connection) {
    xcb_get_input_focus_reply_t* reply =
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    std::free(reply);
    return xcb_connection_has_error(connection);
}

// The window manager names a window of its own on the root window while it runs. Its windows go
// with it when it dies, and with them the windows of the program it had framed, should it not
// have asked the server to keep them.
bool windowManagerGone(xcb_connection_t* connection) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::optional<xcb_window_t> manager =
        screen ? managerCheckWindow(connection, screen->root) : std::nullopt;
    if (!manager)
        return false;
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, *manager), nullptr);
    const bool gone = !attributes && !xcb_connection_has_error(connection);
    std::free(attributes);
    return gone;
}

// Under XWayland the window manager lives in the compositor: when it dies, the X server follows
// a moment later. A window manager that merely ended leaves a server that goes on answering.
bool xServerFollows(xcb_connection_t* connection) {
    const auto limit = std::chrono::steady_clock::now() + 2s;
    while (std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(20ms);
        if (xServerGone(connection))
            return true;
    }
    return false;
}

[[noreturn]] void endLost() {
    std::fflush(stdout);
    exitWith(lostText);
}

void passMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    // Qt warns of a broken connection just before it exits, and Xlib adds its own lines after.
    if (xcb_connection_t* connection = xConnection();
        connection && xcb_connection_has_error(connection))
        endLost();
    previousHandler(type, context, text);
}

// Watches what the X server does to the program's windows and to its connection.
//
// Another client can destroy a window of the program on the X server (a task manager, a script
// that closes windows). Qt does not notice and keeps the window as if shown: the program would run
// on without it. The watch takes such a loss as the window's close: the start-up window ends the
// program, another one hides and is made anew when shown again.
//
// The X server can also go away while the program runs: killed, or an XWayland whose compositor
// died. A dying XWayland destroys the program's windows before it closes the connection, which
// must not read as their close (status 0, as after End). Qt, for its part, notices a lost
// connection at different points and says so in its own words, or Xlib's over several lines.
// Whichever comes first, the user reads the lost line alone on standard error and the program
// exits with status 1.
class DisplayWatch : public QAbstractNativeEventFilter {
  public:
    explicit DisplayWatch(QByteArray lostLine) {
        lostText = std::move(lostLine);
        previousHandler = qInstallMessageHandler(passMessage);
    }
    ~DisplayWatch() override { qInstallMessageHandler(previousHandler); }
    DisplayWatch(const DisplayWatch&) = delete;
    DisplayWatch& operator=(const DisplayWatch&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if (eventType != "xcb_generic_event_t" ||
            (event->response_type & 0x7f) != XCB_DESTROY_NOTIFY)
            return false;
        const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            QWindow* window = widget->windowHandle();
            if (!window || !window->handle() || window->winId() != destroyed->window)
                continue;
            xcb_connection_t* connection = xConnection();
            if (connection && (xServerGone(connection) ||
                               (windowManagerGone(connection) && xServerFollows(connection))))
                endLost();
            widget->close();
            // What Qt still holds of the window names nothing on the server: let it go, so that
            // a later show makes a new one.
            if (!widget->isVisible())
                window->destroy();
            break;
        }
        return false;
    }
};

// The drawing at the sizes window systems ask for, each drawn afresh by Qt's SVG icon engine so
// that small icons stay sharp.
QIcon programIcon(const QString& svgPath) {
    const QIcon drawing(svgPath);
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(drawing.pixmap(size));
    return icon;
}

// The program's mode runs outside every handler: what it lets out ends it here, on one line.
int runCommandLineMode(const Project& project, const ProgramArguments& arguments) {
    setErrorWording(project.errorWording);
    if (!project.commandLineMode)
        return usageError(arguments.program,
                          QStringLiteral("This program has no command-line mode."));
    try {
        return project.commandLineMode(arguments);
    } catch (const RuntimeError& error) {
        return runFailure(arguments.program, errorText(error).simplified());
    } catch (const std::bad_alloc&) {
        return runFailure(arguments.program, describe(ErrorKind::OutOfMemory));
    } catch (const std::exception& error) {
        return runFailure(arguments.program, QString::fromLocal8Bit(error.what()));
    }
}

} // namespace

int runProgram(int& argc, char** argv, const Project& project) {
    QCoreApplication::setApplicationName(project.name);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(programVersion));

    // Read before the application exists, which needs a display: --help and --version do not.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine commandLine = readCommandLine(arguments, project.summary, project.options);
    const QString& program = commandLine.programArguments.program;
    switch (commandLine.action) {
    case CommandLine::Action::Run:
        break;
    case CommandLine::Action::UsageError:
        std::fputs(commandLine.text.toLocal8Bit().constData(), stderr);
        return commandLine.exitStatus;
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        return showText(program, commandLine.text);
    case CommandLine::Action::ProgramMode:
        return runCommandLineMode(project, commandLine.programArguments);
    }

    WindowSystemEnvironment environment = WindowSystemEnvironment::current(commandLine);
    const QString platform = preferredPlatform(environment, project.placesWindows);
    if (!platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", platform.toLatin1());
        environment.platformVariable = platform;
    }
    if (const QString missing = missingDisplay(environment); !missing.isEmpty())
        return runFailure(program, missing);

    const auto app = startApplication(argc, argv, program, environment);
    QGuiApplication::setDesktopFileName(project.desktopFile);
    // Every window takes the application's icon unless it has one of its own.
    QApplication::setWindowIcon(
        programIcon(QStringLiteral(":/icons/%1.svg").arg(project.desktopFile)));
    // QGuiApplication::applicationDisplayName is left unset: the window system would add it to
    // every caption.
    // Only the start-up window ends the program when closed; the others merely hide.
    QApplication::setQuitOnLastWindowClosed(false);

    DisplayWatch displayWatch(lineOf(program, lostDisplay(environment)));
    app->installNativeEventFilter(&displayWatch);

    // A run's pauses keep the windows painted and a screen reader answered.
    SystemClock::setSleeper(pauseUntil);
    setErrorWording(project.errorWording);
    runHandler(project.showStartupForm);
    const int status = programEnded() ? exitStatus() : app->exec();
    resetProgram(); // the windows must go before the application does
    return status;
}

} // namespace platform
