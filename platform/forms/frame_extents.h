#pragma once

#include <QMargins>

#include <xcb/xcb.h>

#include <optional>

class QWidget;

namespace platform {

// Wider borders or a taller title bar than this many pixels are no frame a person could use: a
// value this large was set by hand or by a fault, and arithmetic on it would overflow.
constexpr bool isFrameSide(long long pixels) {
    return pixels >= 0 && pixels <= 1000;
}

// The borders and title bar a window manager puts around a shown top-level window, as the
// manager announces them, in pixels of the screen. A window shown a moment ago may not be framed
// yet: the manager is asked for its extents and given a short while to answer, by plain requests
// to the window system that dispatch no events. A manager that once let that while pass is not
// waited for again. Empty where no announcing window manager runs, where the platform is not
// X11, and where the announced extents are no frame's.
std::optional<QMargins> announcedFrameExtents(const QWidget& window);

// Forgets a manager that did not answer, as a program starting afresh would.
void forgetSilentWindowManager();

// The program's connection to the X server; nullptr where the platform is not X11.
xcb_connection_t* xConnection();

// The window named as a window manager's own on a window (the root window, or that window
// itself), if any: an EWMH manager names its check window on the root and on itself.
std::optional<xcb_window_t> managerCheckWindow(xcb_connection_t* connection, xcb_window_t on);

} // namespace platform
