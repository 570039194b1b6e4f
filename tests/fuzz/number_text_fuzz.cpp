// Every finite double written as text must read back to the very same double.
#include "platform/core/text.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < sizeof(double))
        return 0;
    double value;
    std::memcpy(&value, data, sizeof value);
    if (!std::isfinite(value))
        return 0;
    const QString text = platform::numberText(value);
    const double back = platform::leadingNumber(text);
    // Minus zero is written " 0", like zero, and reads back as zero: equal, not identical.
    if (back != value) {
        std::fprintf(stderr, "%a written as \"%s\" reads back as %a\n", value, qPrintable(text),
                     back);
        std::abort();
    }
    if (value >= 0 ? !text.startsWith(u' ') : !text.startsWith(u'-'))
        std::abort();
    if (text.contains(u','))
        std::abort();
    return 0;
}
