#include "platform/forms/runtime.h"

#include "platform/core/clock.h"
#include "platform/core/command_line.h"
#include "platform/core/random.h"
#include "platform/core/stack.h"
#include "platform/forms/application_start.h"
#include "platform/forms/pause.h"
#include "platform/forms/window_system.h"
#include "platform/forms/window_watch.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include <chrono>
#include <cstdio>
#include <map>
#include <new>

namespace platform {
namespace {

struct State {
    bool ended = false;
    int status = 0;
    std::function<void()> dispatchHook;
    // Until then a dispatch point does not ask the window system again.
    std::chrono::steady_clock::time_point nextFullDispatch{};
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
    std::fflush(stderr);
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

void showReport(const RuntimeError& error) {
    logError(error);
    if (state().reporter)
        state().reporter(error);
    else
        showMessage(QMessageBox::Critical, reportText(error));
}

void reportAndEnd(const RuntimeError& error) {
    State& s = state();
    if (s.ended)
        return;
    // Ended before the report shows, so that its own event loop runs no handler of the program.
    s.ended = true;
    s.status = 1;
    showReport(error);
    closeWindows();
}

QStringList argumentList(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

// The program's words for the error, or the plain description of its kind: what a command-line
// mode prints.
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

void startProgram(const Project& project) {
    // A run's pauses keep the windows painted and a screen reader answered.
    SystemClock::setSleeper(pauseUntil);
    setErrorWording(project.errorWording);
    runHandler(project.showStartupForm);
}

int runProgram(int& argc, char** argv, const Project& project) {
    QCoreApplication::setApplicationName(project.name);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(programVersion));

    // Read before the application exists, which needs a display: --help and --version do not.
    const QStringList arguments = argumentList(argc, argv);
    const QString program = programName(arguments, project.name.toLower());
    const CommandLine commandLine = readCommandLine(arguments, project.summary, project.options);
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

    const std::chrono::seconds answerLimit(10);
    const auto app = startApplication(argc, argv,
                                      {program, unreachableDisplay(environment),
                                       silentDisplay(environment, int(answerLimit.count()))},
                                      answerLimit);
    QGuiApplication::setDesktopFileName(project.desktopFile);
    // Every window takes the application's icon unless it has one of its own.
    QApplication::setWindowIcon(
        programIcon(QStringLiteral(":/icons/%1.svg").arg(project.desktopFile)));
    // QGuiApplication::applicationDisplayName is left unset: the window system would add it to
    // every caption.
    // Only the start-up window ends the program when closed; the others merely hide.
    QApplication::setQuitOnLastWindowClosed(false);

    DisplayWatch displayWatch(
        (program + QStringLiteral(": ") + printable(lostDisplay(environment))).toLocal8Bit());
    app->installNativeEventFilter(&displayWatch);

    startProgram(project);
    const int status = programEnded() ? exitStatus() : app->exec();
    resetProgram(); // the windows must go before the application does
    return status;
}

void endProgram() {
    requestEnd(0);
    throw ProgramEnded{};
}

void requestEnd(int status) {
    State& s = state();
    if (s.ended)
        return;
    s.ended = true;
    s.status = status;
    closeWindows();
}

bool programEnded() {
    return state().ended;
}
int exitStatus() {
    return state().status;
}

namespace {

[[noreturn, gnu::cold, gnu::noinline]] void unwindEnded() {
    throw ProgramEnded{};
}

// Asks the window system, at a few microseconds a time: a poll of the event loop's wake-up
// descriptor and a round of its sources even when nothing waits.
[[gnu::cold, gnu::noinline]] void fullDispatch(State& s,
                                               std::chrono::steady_clock::time_point now) {
    // Set before the handlers run: a nested run inside them starts its own count from here, and
    // one that outlasts the interval leaves the next point due at once.
    s.nextFullDispatch = now + fullDispatchInterval;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace

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
        const auto now = std::chrono::steady_clock::now();
        if (now >= s.nextFullDispatch) [[unlikely]]
            fullDispatch(s, now);
    }
    if (s.ended) [[unlikely]]
        unwindEnded();
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

namespace detail {

QWidget* findInstance(std::type_index type) {
    const auto& instances = state().instances;
    const auto found = instances.find(type);
    return found == instances.end() ? nullptr : found->second;
}

void storeInstance(std::type_index type, QWidget* instance) {
    state().instances[type] = instance;
}

} // namespace detail
} // namespace platform
