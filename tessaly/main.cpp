#include "error_words.h"
#include "form1.h"
#include "mode.h"
#include "runtime.h"
#include "settings.h"

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
