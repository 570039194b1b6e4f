#pragma once

#include <QIcon>
#include <QString>

namespace platform {

// The program's icon from its SVG drawing (usually compiled in as a resource, so that a program
// that is not installed shows it too), at the sizes window systems ask for. A null icon when the
// drawing cannot be read.
QIcon programIcon(const QString& svgPath);

} // namespace platform
