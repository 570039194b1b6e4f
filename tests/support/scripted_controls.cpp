#include "tests/support/scripted_controls.h"

#include <QFile>
#include <QRegularExpression>
#include <QWidget>

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace platform::testing {

std::vector<ScriptedControl> scriptedControls(const QString& program) {
    std::vector<ScriptedControl> controls;
    QFile file(QStringLiteral(KT_SOURCE_DIR "/tools/controls.sh"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return controls;
    const QString text = QString::fromUtf8(file.readAll());
    // The table is the quoted text assigned to controls_twips, one control a line.
    static const QRegularExpression table(QStringLiteral("\ncontrols_twips='([^']*)'"));
    const QRegularExpressionMatch match = table.match(text);
    if (!match.hasMatch())
        return controls;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString& line : match.captured(1).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(blanks, Qt::SkipEmptyParts);
        if (fields.size() != 6 || fields[0] != program)
            continue;
        controls.push_back({fields[1], QRectF(fields[2].toDouble(), fields[3].toDouble(),
                                              fields[4].toDouble(), fields[5].toDouble())});
    }
    return controls;
}

void expectScriptedControlsInPlace(const QWidget& form, const QString& program) {
    const std::vector<ScriptedControl> controls = scriptedControls(program);
    ASSERT_FALSE(controls.empty())
        << "no control of " << program.toStdString() << " in tools/controls.sh";
    const auto pixels = [](double twips) { return static_cast<int>(std::round(twips / 15.0)); };
    for (const ScriptedControl& control : controls) {
        const auto* widget = form.findChild<const QWidget*>(control.name);
        ASSERT_NE(widget, nullptr) << control.name.toStdString();
        const QRect at = widget->geometry();
        const QRectF& twips = control.twips;
        EXPECT_EQ((std::array{at.x(), at.y(), at.width(), at.height()}),
                  (std::array{pixels(twips.x()), pixels(twips.y()), pixels(twips.width()),
                              pixels(twips.height())}))
            << control.name.toStdString();
    }
}

} // namespace platform::testing
