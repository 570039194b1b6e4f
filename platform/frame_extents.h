#pragma once

#include <QMargins>

#include <optional>

class QWidget;

namespace platform {

// The borders and title bar a window manager puts around a shown top-level window, as the
// manager announces them. A window shown a moment ago may not be framed yet: the manager is asked
// for its extents and given a short while to answer, by plain requests to the window system that
// dispatch no events. Empty where no announcing window manager runs or the platform is not X11.
std::optional<QMargins> announcedFrameExtents(const QWidget& window);

} // namespace platform
