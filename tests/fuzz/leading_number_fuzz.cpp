// Arbitrary bytes, read as a typed text, must give a finite number or the overflow error:
// never a crash, a hang or a read outside the text.
#include "platform/core/errors.h"
#include "platform/core/text.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Both ways a text may arrive: as UTF-8 and as raw UTF-16 code units, unpaired halves too.
    const QString utf8 =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString utf16 = QString::fromUtf16(reinterpret_cast<const char16_t*>(data),
                                             static_cast<qsizetype>(size / 2));
    for (const QString& text : {utf8, utf16}) {
        try {
            const double value = platform::leadingNumber(text);
            if (!std::isfinite(value))
                std::abort();
        } catch (const platform::RuntimeError& error) {
            if (error.kind() != platform::ErrorKind::Overflow)
                std::abort();
        }
    }
    return 0;
}
