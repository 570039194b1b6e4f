#include "kelvane/engine/windows.h"

#include "platform/core/errors.h"

namespace kelvane::Module1 {
namespace {

Windows& connected() {
    static Windows windows;
    return windows;
}

} // namespace

void connectWindows(Windows windows) {
    connected() = windows;
}

ControlWindow& controlWindow() {
    if (!connected().control)
        throw platform::RuntimeError(platform::ErrorKind::ObjectCall,
                                     QStringLiteral("no control window connected"));
    return connected().control();
}

DisplayWindow& displayWindow() {
    if (!connected().display)
        throw platform::RuntimeError(platform::ErrorKind::ObjectCall,
                                     QStringLiteral("no display window connected"));
    return connected().display();
}

} // namespace kelvane::Module1
