#include "tessaly/limit_words.h"

#include "platform/core/errors.h"
#include "platform/core/text.h"

#include <cmath>

namespace tessaly {

QString largestIndexWords(double index) {
    QString words = QStringLiteral("the largest index it can compute is 92");
    if (index != std::floor(index))
        words += QStringLiteral(" (with a fraction, an index below 91)");
    return words;
}

QString beyond64BitsWords(double index) {
    return QStringLiteral("The Fibonacci number of index %1 is larger than this calculator can "
                          "hold (64 bits); %2.")
        .arg(platform::numberText(index).trimmed(), largestIndexWords(index));
}

QString unreadableIndexWords(const QString& typed) {
    return QStringLiteral("The index you typed, %1, is too large to read as a number. The "
                          "largest index this calculator can compute is 92.")
        .arg(platform::quoteTyped(typed));
}

} // namespace tessaly
