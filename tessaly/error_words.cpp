#include "tessaly/error_words.h"

#include "platform/core/text.h"
#include "platform/forms/runtime.h"
#include "tessaly/fibonacci.h"
#include "tessaly/form1.h"
#include "tessaly/limit_words.h"

#include <cstdint>
#include <limits>

namespace tessaly {
namespace {

using platform::ErrorKind;

constexpr auto mostCycles = std::numeric_limits<std::int32_t>::max();

QString cyclesWords(const platform::Cause& cause) {
    if (!cause.value)
        return QStringLiteral("The number of cycles you typed, %1, is too large to read as a "
                              "number. A run can have at most %2 cycles.")
            .arg(platform::quoteTyped(cause.typed))
            .arg(mostCycles);
    return QStringLiteral("The number of cycles, %1, is more than this calculator can count. "
                          "A run can have at most %2 cycles.")
        .arg(platform::numberText(*cause.value).trimmed())
        .arg(mostCycles);
}

QString indexWords(const platform::Cause& cause) {
    return cause.value ? beyond64BitsWords(*cause.value) : unreadableIndexWords(cause.typed);
}

} // namespace

QString errorWords(const platform::RuntimeError& error) {
    if (!platform::hasInstance<Form1>())
        return {};
    const platform::Cause& cause = error.cause();
    switch (error.kind()) {
    case ErrorKind::Overflow:
        if (cause.input == cyclesInput)
            return cyclesWords(cause);
        if (cause.input == indexInput)
            return indexWords(cause);
        return {};
    case ErrorKind::OutOfStackSpace:
        // An index within 64 bits nests a few dozen levels: only runs started inside runs go
        // this deep.
        return QStringLiteral("Start was pressed during a run so many times that the runs, each "
                              "waiting inside the one before, need more room than the program "
                              "has. Let a run finish, or cancel it, before you press Start again.");
    default:
        return {};
    }
}

} // namespace tessaly
