#include "frame_extents.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>

namespace platform {
namespace {

template <class Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <class Reply> ReplyPtr<Reply> own(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const auto reply = own(xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

ReplyPtr<xcb_get_property_reply_t> property(xcb_connection_t* connection, xcb_window_t window,
                                            xcb_atom_t name, xcb_atom_t type) {
    return own(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, name, type, 0, 4), nullptr));
}

class FrameQuery {
  public:
    FrameQuery(xcb_connection_t* connection, xcb_window_t window)
        : connection_(connection), window_(window),
          root_(xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root),
          extents_(atom(connection, "_NET_FRAME_EXTENTS")) {}

    bool managerAnnounces() const {
        // An EWMH window manager names its check window on the root window.
        const xcb_atom_t check = atom(connection_, "_NET_SUPPORTING_WM_CHECK");
        const auto reply = property(connection_, root_, check, XCB_ATOM_WINDOW);
        return check != XCB_ATOM_NONE && extents_ != XCB_ATOM_NONE && reply &&
               xcb_get_property_value_length(reply.get()) >= 4;
    }

    void askManager() const {
        xcb_client_message_event_t request{};
        request.response_type = XCB_CLIENT_MESSAGE;
        request.format = 32;
        request.window = window_;
        request.type = atom(connection_, "_NET_REQUEST_FRAME_EXTENTS");
        xcb_send_event(connection_, 0, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&request));
        xcb_flush(connection_);
    }

    std::optional<QMargins> read() const {
        const auto reply = property(connection_, window_, extents_, XCB_ATOM_CARDINAL);
        if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 16)
            return std::nullopt;
        const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
        // left, right, top, bottom
        return QMargins(static_cast<int>(v[0]), static_cast<int>(v[2]), static_cast<int>(v[1]),
                        static_cast<int>(v[3]));
    }

  private:
    xcb_connection_t* connection_;
    xcb_window_t window_;
    xcb_window_t root_;
    xcb_atom_t extents_;
};

} // namespace

std::optional<QMargins> announcedFrameExtents(const QWidget& window) {
    const auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection() || !window.isWindow())
        return std::nullopt;
    const FrameQuery query(x11->connection(), static_cast<xcb_window_t>(window.winId()));
    if (!query.managerAnnounces())
        return std::nullopt;
    if (auto known = query.read())
        return known;
    query.askManager();
    // A manager frames a newly mapped window within a few milliseconds; one that does not answer
    // in a quarter of a second is not waited for any longer.
    constexpr int tries = 50;
    for (int i = 0; i < tries; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (auto known = query.read())
            return known;
    }
    return std::nullopt;
}

} // namespace platform
