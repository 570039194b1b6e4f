#pragma once

#include "platform/core/command_line.h"

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

#include <optional>
#include <vector>

namespace kelvane::command_line {

// What a picture is drawn with: the control window's boxes, the display window's size, and where
// the pictures go.
struct Parameters {
    QString factor = QStringLiteral("1"); // as typed into the expansion factor's box
    bool random = true;
    bool dynamic = true;
    QSize size{410, 364};   // the display window's client area at its design size
    QString picture = {};   // the file of the final picture; empty for none
    QString frames = {};    // the folder of every step's picture; empty for none
    QString animation = {}; // the GIF file of every step's picture; empty for none
    // The same names as the bytes the system is given: a name need not be valid text.
    QByteArray pictureName = {};
    QByteArray framesName = {};
    QByteArray animationName = {};
};

// The options of Kelvane's command line.
std::vector<platform::ProgramOption> options();

// The parameters the options give, or in problem the one line that says what is wrong with them.
std::optional<Parameters> readParameters(const platform::ProgramArguments& arguments,
                                         QString& problem);

// Takes the names as the bytes given in the program's arguments (its name first), read as
// the command line reads them, instead of their text, which has lost every byte that is not
// UTF-8.
void useArgumentBytes(Parameters& parameters, const QList<QByteArray>& arguments);

} // namespace kelvane::command_line
