#include "error_words.h"
#include "form1.h"
#include "render.h"
#include "runtime.h"

int main(int argc, char** argv) {
    return platform::runProgram(
        argc, argv,
        {QStringLiteral("Kelvane"), QStringLiteral("org.kelvanetessaly.Kelvane"),
         [] { platform::ensureInstance<kelvane::Form1>().show(); },
         QStringLiteral("Watch particles spread out from a centre."), kelvane::errorWords,
         kelvane::render::options(), kelvane::render::commandLineMode});
}
