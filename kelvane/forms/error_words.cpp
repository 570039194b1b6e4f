#include "kelvane/forms/error_words.h"

#include "kelvane/forms/form1.h"
#include "kelvane/forms/form2.h"
#include "platform/forms/runtime.h"

#include <QWidget>

#include <limits>
#include <optional>

namespace kelvane {
namespace {

using platform::ErrorKind;

// Below this every distance and age of a run stays finite, whatever the display window's size:
// the largest products a run forms are the factor times the radius, at most half the window's
// height, and the factor times the age, at most 15.
constexpr double safeFactor = 1e300;
static_assert(safeFactor * QWIDGETSIZE_MAX < std::numeric_limits<double>::max());

} // namespace

QString factorWords(const QString& typed, ErrorKind kind) {
    const std::optional<double> factor = platform::readableNumber(typed);
    if (!factor && kind == ErrorKind::Overflow)
        return QStringLiteral("The expansion factor you typed, %1, is too large to read as a "
                              "number. Type a factor greater than 0 and below 1e300.")
            .arg(platform::quoteTyped(typed));
    if (factor && *factor >= safeFactor && kind == ErrorKind::FloatFault)
        return QStringLiteral(
                   "The expansion factor you typed, %1, is too large: the distances of the "
                   "animation grew past the largest number the computer can hold. "
                   "Type a factor below 1e300.")
            .arg(platform::quoteTyped(typed));
    return {};
}

QString errorWords(const platform::RuntimeError& error) {
    switch (error.kind()) {
    case ErrorKind::Overflow:
    case ErrorKind::FloatFault:
        if (!platform::hasInstance<Form1>())
            return {};
        return factorWords(platform::ensureInstance<Form1>().Tnc->text(), error.kind());
    case ErrorKind::OutOfMemory:
        // The picture of the display window is the one large thing the program keeps.
        if (!platform::hasInstance<Form2>())
            return {};
        return QStringLiteral("There is not enough memory to draw the display window at its size "
                              "of %1 \u00d7 %2 pixels. Make the display window smaller before "
                              "you press Simulate.")
            .arg(platform::ensureInstance<Form2>().width())
            .arg(platform::ensureInstance<Form2>().height());
    case ErrorKind::OutOfStackSpace:
        // A run nests a few calls only: only runs started inside runs go this deep.
        return QStringLiteral("Simulate was pressed during an animation so many times that the "
                              "animations, each waiting inside the one before, need more room "
                              "than the program has. Let an animation finish before you press "
                              "Simulate again.");
    default:
        return {};
    }
}

} // namespace kelvane
