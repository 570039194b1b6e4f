#pragma once

#include "command_line.h"

#include <QSize>
#include <QString>

#include <optional>
#include <vector>

namespace kelvane::render {

// What a picture is drawn with: the control window's boxes, the display window's size, and where
// the pictures go.
struct Parameters {
    QString factor = QStringLiteral("1"); // as typed into the expansion factor's box
    bool random = true;
    bool dynamic = true;
    QSize size{410, 364}; // the display window's client area at its design size
    QString picture = {}; // the file of the final picture; empty for none
    QString frames = {};  // the folder of every step's picture; empty for none
};

// The options of Kelvane's command line.
std::vector<platform::ProgramOption> options();

// The parameters the options give, or in problem the one line that says what is wrong with them.
std::optional<Parameters> readParameters(const platform::ProgramArguments& arguments,
                                         QString& problem);

// The number of steps a run makes on a display window of that height.
int stepCount(int height);

} // namespace kelvane::render
