#include "platform/forms/runtime.h"
#include "tessaly/error_words.h"
#include "tessaly/form1.h"

int main(int argc, char** argv) {
    return platform::runProgram(
        argc, argv,
        {QStringLiteral("Tessaly"), QStringLiteral("org.kelvanetessaly.Tessaly"),
         [] { platform::ensureInstance<tessaly::Form1>().show(); },
         QStringLiteral("Time the recursive calculation of a Fibonacci number."),
         tessaly::errorWords});
}
