#include "platform/forms/window_watch.h"

#include "platform/forms/frame_extents.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>

namespace platform {
namespace {

// A message handler is a plain function: what it needs lives here while the watch does.
QByteArray lostText;
QtMessageHandler previousHandler = nullptr;

bool xConnectionLost() {
    xcb_connection_t* connection = xConnection();
    return connection && xcb_connection_has_error(connection);
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
    using namespace std::chrono_literals;
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
    [[maybe_unused]] const auto written =
        ::write(STDERR_FILENO, lostText.constData(), std::size_t(lostText.size()));
    // Nothing of the windows can be taken down without the server; Qt's own exit would try.
    ::_exit(1);
}

void passMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    // Qt warns of a broken connection just before it exits, and Xlib adds its own lines after.
    if (xConnectionLost())
        endLost();
    previousHandler(type, context, text);
}

} // namespace

DisplayWatch::DisplayWatch(const QByteArray& lostLine) {
    lostText = lostLine + '\n';
    previousHandler = qInstallMessageHandler(passMessage);
}

DisplayWatch::~DisplayWatch() {
    qInstallMessageHandler(previousHandler);
    previousHandler = nullptr;
}

bool DisplayWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY)
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
        // What Qt still holds of the window names nothing on the server: let it go, so that a
        // later show makes a new one.
        if (!widget->isVisible())
            window->destroy();
        break;
    }
    return false;
}

} // namespace platform
