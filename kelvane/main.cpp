#include "kelvane/forms/form1.h"
#include "kelvane/render/render.h"
#include "platform/forms/runtime.h"

int main(int argc, char** argv) {
    kelvane::command_line::keepArgumentBytes(argc, argv);
    return platform::runProgram(
        argc, argv,
        {.name = QStringLiteral("Kelvane"),
         .desktopFile = QStringLiteral("org.kelvanetessaly.Kelvane"),
         .showStartupForm = [] { platform::ensureInstance<kelvane::Form1>().show(); },
         .summary = QStringLiteral("Watch particles spread out from a centre."),
         .errorWording = kelvane::errorWords,
         .placesWindows = true,
         .options = kelvane::command_line::options(),
         .commandLineMode = kelvane::command_line::commandLineMode});
}
