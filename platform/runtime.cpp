#include "runtime.h"

#include "random.h"
#include "stack.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <map>
#include <new>

namespace platform {
namespace {

struct State {
    bool ended = false;
    int status = 0;
    std::function<void()> dispatchHook;
    ErrorReporter reporter;
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

void showReport(const RuntimeError& error) {
    std::fprintf(stderr, "Run-time error: %s\n", qPrintable(error.message()));
    if (state().reporter) {
        state().reporter(error);
        return;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QMessageBox::critical(nullptr, QApplication::applicationName(), error.message());
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

} // namespace

void startProgram(const Project& project) {
    runHandler(project.showStartupForm);
}

int runProgram(int& argc, char** argv, const Project& project) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(project.name);
    QApplication::setApplicationVersion(QString::fromLatin1(programVersion));
    QGuiApplication::setDesktopFileName(project.desktopFile);
    // No display name: the window system would add it to every caption.
    // Only the start-up window ends the program when closed; the others merely hide.
    QApplication::setQuitOnLastWindowClosed(false);

    startProgram(project);
    const int status = programEnded() ? exitStatus() : app.exec();
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

void dispatchEvents() {
    State& s = state();
    if (s.ended)
        throw ProgramEnded{};
    if (s.dispatchHook)
        s.dispatchHook();
    if (!s.ended)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (s.ended)
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

void resetProgram() {
    State& s = state();
    for (auto& [type, window] : s.instances)
        delete window;
    s.instances.clear();
    s.ended = false;
    s.status = 0;
    s.dispatchHook = nullptr;
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
