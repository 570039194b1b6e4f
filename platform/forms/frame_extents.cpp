#include "platform/forms/frame_extents.h"

#include "platform/core/clock.h"

#include <QGuiApplication>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace platform {
namespace {

// Set once a manager has let a window wait for its extents in vain.
bool managerSilent = false;

template <class Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

// The reply to a request. An error (a window that is gone) is taken here rather than left to
// reach the toolkit's event queue as a warning.
template <class Cookie, class Reply>
ReplyPtr<Reply> answer(xcb_connection_t* connection, Cookie cookie,
                       Reply* (*replyTo)(xcb_connection_t*, Cookie, xcb_generic_error_t**)) {
    xcb_generic_error_t* error = nullptr;
    Reply* reply = replyTo(connection, cookie, &error);
    std::free(error);
    return ReplyPtr<Reply>(reply, &std::free);
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const auto length = static_cast<std::uint16_t>(std::strlen(name));
    const auto reply =
        answer(connection, xcb_intern_atom(connection, 1, length, name), xcb_intern_atom_reply);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

ReplyPtr<xcb_get_property_reply_t> property(xcb_connection_t* connection, xcb_window_t window,
                                            xcb_atom_t name, xcb_atom_t type) {
    return answer(connection, xcb_get_property(connection, 0, window, name, type, 0, 4),
                  xcb_get_property_reply);
}

// The root window of the screen the window is on, which need not be the first screen.
xcb_window_t rootOf(xcb_connection_t* connection, xcb_window_t window) {
    const auto reply =
        answer(connection, xcb_get_geometry(connection, window), xcb_get_geometry_reply);
    return reply ? reply->root : xcb_window_t{XCB_WINDOW_NONE};
}

// A manager that has gone leaves the root's name behind, pointing to a window that no longer
// exists or that another client now owns.
bool managerRuns(xcb_connection_t* connection, xcb_window_t root) {
    const std::optional<xcb_window_t> named = managerCheckWindow(connection, root);
    return named && managerCheckWindow(connection, *named) == named;
}

void askManager(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window) {
    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = window;
    request.type = atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&request));
    xcb_flush(connection);
}

// The extents announced for the window; `announced` tells whether there were any, even ones that
// are no frame's.
std::optional<QMargins> readExtents(xcb_connection_t* connection, xcb_window_t window,
                                    xcb_atom_t extents, bool& announced) {
    const auto reply = property(connection, window, extents, XCB_ATOM_CARDINAL);
    announced = reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 16;
    if (!announced)
        return std::nullopt;
    const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    if (!std::all_of(v, v + 4, [](std::uint32_t side) { return isFrameSide(side); }))
        return std::nullopt;
    // left, right, top, bottom
    return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                    static_cast<int>(v[3]));
}

} // namespace

std::optional<QMargins> announcedFrameExtents(const QWidget& widget) {
    xcb_connection_t* connection = xConnection();
    if (!connection || !widget.isWindow())
        return std::nullopt;
    const auto window = static_cast<xcb_window_t>(widget.winId());
    const xcb_window_t root = rootOf(connection, window);
    const xcb_atom_t extents = atom(connection, "_NET_FRAME_EXTENTS");
    if (root == XCB_WINDOW_NONE || extents == XCB_ATOM_NONE || !managerRuns(connection, root))
        return std::nullopt;
    bool announced = false;
    if (auto known = readExtents(connection, window, extents, announced);
        known || announced || managerSilent)
        return known;
    askManager(connection, root, window);
    // A manager frames a newly mapped window within a few milliseconds; one that does not answer
    // in a quarter of a second is not waited for any longer, now or later.
    constexpr int tries = 50;
    Clock& clock = activeClock();
    Clock::Duration deadline = clock.monotonic();
    for (int i = 0; i < tries; ++i) {
        deadline += std::chrono::milliseconds(5);
        clock.sleepUntil(deadline);
        if (auto known = readExtents(connection, window, extents, announced); known || announced)
            return known;
    }
    managerSilent = true;
    return std::nullopt;
}

void forgetSilentWindowManager() {
    managerSilent = false;
}

xcb_connection_t* xConnection() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

std::optional<xcb_window_t> managerCheckWindow(xcb_connection_t* connection, xcb_window_t on) {
    const xcb_atom_t check = atom(connection, "_NET_SUPPORTING_WM_CHECK");
    if (check == XCB_ATOM_NONE)
        return std::nullopt;
    const auto reply = property(connection, on, check, XCB_ATOM_WINDOW);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return std::nullopt;
    return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
}

} // namespace platform
