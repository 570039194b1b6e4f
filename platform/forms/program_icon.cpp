#include "platform/forms/program_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace platform {

QIcon programIcon(const QString& svgPath) {
    QSvgRenderer renderer(svgPath);
    if (!renderer.isValid())
        return {};
    QIcon icon;
    // Drawn at each size rather than scaled from one, so that small icons stay sharp.
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace platform
