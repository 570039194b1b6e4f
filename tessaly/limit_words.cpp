#include "tessaly/limit_words.h"

#include "platform/core/errors.h"
#include "platform/core/text.h"

#include <cmath>

namespace tessaly {
namespace {

// F(92) is the largest Fibonacci number 64 bits hold; an index k + f with a fraction gives
// F(k + 2), so a fractional index must stay below 91.
constexpr double largestIndex = 92;
constexpr double fractionalBound = 91;

bool fractional(double index) {
    return index != std::floor(index);
}

} // namespace

bool beyond64Bits(double index) {
    return fractional(index) ? index > fractionalBound : index > largestIndex;
}

QString beyond64BitsWords(double index) {
    QString largest = QStringLiteral("the largest index it can compute is 92");
    if (fractional(index))
        largest += QStringLiteral(" (with a fraction, an index below 91)");
    return QStringLiteral("The Fibonacci number of index %1 is larger than this calculator can "
                          "hold (64 bits); %2.")
        .arg(platform::numberText(index).trimmed(), largest);
}

QString unreadableIndexWords(const QString& typed) {
    return QStringLiteral("The index you typed, %1, is too large to read as a number. The "
                          "largest index this calculator can compute is 92.")
        .arg(platform::quoteTyped(typed));
}

} // namespace tessaly
