// Writes the table of the programs' controls that the scripts press and read (tools/controls.sh):
// one control a line, "PROGRAM CONTROL X Y WIDTH HEIGHT", its place in its window's client area
// in logical pixels, as the forms themselves put it.
//
//   controls_table TABLE

#include "kelvane/forms/form1.h"
#include "platform/core/whole_file.h"
#include "platform/forms/runtime.h"
#include "tessaly/form1.h"

#include <QApplication>

#include <cstdio>

namespace {

QString rows(const QString& program, QWidget& form) {
    form.show();
    QString rows;
    for (const QWidget* control : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control->objectName().isEmpty())
            continue;
        const QRect at = control->geometry();
        rows += QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                    .arg(program, control->objectName())
                    .arg(at.x())
                    .arg(at.y())
                    .arg(at.width())
                    .arg(at.height());
    }
    return rows;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: controls_table TABLE\n");
        return 2;
    }
    // Run while the project builds, where there may be no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QByteArray table =
        (rows(QStringLiteral("kelvane"), platform::ensureInstance<kelvane::Form1>()) +
         rows(QStringLiteral("tessaly"), platform::ensureInstance<tessaly::Form1>()))
            .toUtf8();
    platform::resetProgram();
    const QString failure = platform::writeWhole(
        argv[1],
        [&](QIODevice& device) {
            device.write(table);
            return QString();
        },
        false);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "controls_table: %s: %s\n", argv[1],
                     failure.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
