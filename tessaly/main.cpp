#include "platform/forms/runtime.h"
#include "tessaly/command_line/settings.h"
#include "tessaly/form1.h"

int main(int argc, char** argv) {
    return platform::runProgram(
        argc, argv,
        {.name = QStringLiteral("Tessaly"),
         .desktopFile = QStringLiteral("org.kelvanetessaly.Tessaly"),
         .showStartupForm = [] { platform::ensureInstance<tessaly::Form1>().show(); },
         .summary = QStringLiteral("Time the recursive calculation of a Fibonacci number."),
         .errorWording = tessaly::errorWords,
         .options = tessaly::command_line::options(),
         .commandLineMode = tessaly::command_line::commandLineMode});
}
