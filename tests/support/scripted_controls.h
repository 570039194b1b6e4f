#pragma once

#include <QRectF>
#include <QString>

#include <vector>

class QWidget;

namespace platform::testing {

// A control as the scripts that drive the real programs know it: its name and its place in
// twips, from the table in tools/controls.sh.
struct ScriptedControl {
    QString name;
    QRectF twips;
};

// The table's rows for one program ("kelvane", "tessaly"), in the table's order; none where the
// file cannot be read.
std::vector<ScriptedControl> scriptedControls(const QString& program);

// Every control the table knows for `program` is where `form`, shown at 96 dpi, put it: at the
// pixels the scripts work out from the twips, 15 to a pixel, rounded as the forms round.
void expectScriptedControlsInPlace(const QWidget& form, const QString& program);

} // namespace platform::testing
