#include "form1.h"
#include "runtime.h"

int main(int argc, char** argv) {
    return platform::runProgram(argc, argv, {"Tessaly", "tessaly", [] {
                                                 platform::ensureInstance<tessaly::Form1>().show();
                                             }});
}
