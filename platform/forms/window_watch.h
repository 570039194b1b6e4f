#pragma once

#include <QAbstractNativeEventFilter>

namespace platform {

// Another client can destroy a window of the program on the X server (a task manager, a script
// that closes windows). Qt does not notice and keeps the window as if shown: the program would run
// on without it. The watch takes such a loss as the window's close: the start-up window ends the
// program, another one hides and is made anew when shown again.
class DestroyedWindowWatch : public QAbstractNativeEventFilter {
  public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
};

} // namespace platform
