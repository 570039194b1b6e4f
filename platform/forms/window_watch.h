#pragma once

#include <QAbstractNativeEventFilter>
#include <QByteArray>

namespace platform {

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
// Whichever comes first, the user reads the given line alone on standard error and the program
// exits with status 1. While the watch lives, Qt's messages pass through it to the handler that
// was installed before.
class DisplayWatch : public QAbstractNativeEventFilter {
  public:
    explicit DisplayWatch(const QByteArray& lostLine);
    ~DisplayWatch() override;
    DisplayWatch(const DisplayWatch&) = delete;
    DisplayWatch& operator=(const DisplayWatch&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
};

} // namespace platform
