#include "tessaly/error_words.h"

#include "platform/core/numeric.h"
#include "platform/core/text.h"
#include "platform/forms/runtime.h"
#include "tessaly/fibonacci.h"
#include "tessaly/form1.h"
#include "tessaly/limit_words.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace tessaly {
namespace {

using platform::ErrorKind;

constexpr auto mostCycles = std::numeric_limits<std::int32_t>::max();

QString number(double value) {
    return platform::numberText(value).trimmed();
}

// As the run takes the cycles: fewer than one is one, and the count is rounded to 32 bits.
bool fitsCycleCount(double cycles) {
    try {
        platform::toInt32(cycles < 1 ? 1 : cycles);
        return true;
    } catch (const platform::RuntimeError&) {
        return false;
    }
}

// The run reads the cycles, then the index, then rounds the cycles to a whole number: an overflow
// of one of them is the first of these that fails.
QString overflowWords(const Form1& window, double cycles, std::optional<double> index) {
    if (!index)
        return unreadableIndexWords(window.NText->text());
    if (!fitsCycleCount(cycles))
        return QStringLiteral("The number of cycles, %1, is more than this calculator can count. "
                              "A run can have at most %2 cycles.")
            .arg(number(cycles))
            .arg(mostCycles);
    if (beyond64Bits(*index))
        return beyond64BitsWords(*index);
    return {};
}

QString stackWords(std::optional<double> index) {
    if (!index)
        return {};
    if (beyond64Bits(*index))
        return QStringLiteral("The Fibonacci number of index %1 is larger than this calculator "
                              "can hold (64 bits), and working it out nests deeper than the "
                              "program has room for; %2.")
            .arg(number(*index), largestIndexWords(*index));
    // A small index nests a few dozen levels: only runs started inside runs go this deep.
    return QStringLiteral("Start was pressed during a run so many times that the runs, each "
                          "waiting inside the one before, need more room than the program has. "
                          "Let a run finish, or cancel it, before you press Start again.");
}

} // namespace

QString errorWords(const platform::RuntimeError& error) {
    if (!platform::hasInstance<Form1>())
        return {};
    const Form1& window = platform::ensureInstance<Form1>();
    const std::optional<double> cycles = platform::readableNumber(window.nT->text());
    const std::optional<double> index = platform::readableNumber(window.NText->text());
    switch (error.kind()) {
    case ErrorKind::Overflow:
        if (!cycles)
            return QStringLiteral("The number of cycles you typed, %1, is too large to read as a "
                                  "number. A run can have at most %2 cycles.")
                .arg(platform::quoteTyped(window.nT->text()))
                .arg(mostCycles);
        return overflowWords(window, *cycles, index);
    case ErrorKind::OutOfStackSpace:
        return stackWords(index);
    default:
        return {};
    }
}

} // namespace tessaly
