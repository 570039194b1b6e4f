#pragma once

#include "platform/core/colour.h"

#include <QColor>

namespace platform {

// A colour value as the toolkit paints it, and back.
inline QRgb toRgb(Colour c) {
    return qRgb(redOf(c), greenOf(c), blueOf(c));
}
inline Colour fromQColor(const QColor& c) {
    return rgbColour(c.red(), c.green(), c.blue());
}

} // namespace platform
