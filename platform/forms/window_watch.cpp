#include "platform/forms/window_watch.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

namespace platform {

bool DestroyedWindowWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
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
