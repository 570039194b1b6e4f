#include "platform/core/errors.h"

#include <iterator>
#include <utility>

namespace platform {

RuntimeError::RuntimeError(ErrorKind kind, const QString& detail, Cause cause)
    : std::runtime_error(kindName(kind).toStdString()), kind_(kind), detail_(detail),
      cause_(std::move(cause)) {}

namespace {

// In the order of the kinds: a few technical words for the log, and what happened in plain words.
constexpr const char* kindTexts[][2] = {
    {"overflow", "A number in the program's work became larger than it can hold."},
    {"floating-point fault",
     "A calculation gave a number larger than the computer can hold, or no number at all."},
    {"subscript out of range", "The program looked for an entry outside one of its tables. This "
                               "is a fault in the program, not in what you typed."},
    {"out of stack space", "The work nested deeper than the program has room for."},
    {"window operation failed",
     "The program could not carry out an operation on one of its windows."},
    {"out of memory",
     "The computer ran out of memory for this program. Closing other programs may help."},
};
static_assert(std::size(kindTexts) == static_cast<std::size_t>(ErrorKind::OutOfMemory) + 1);

} // namespace

QString kindName(ErrorKind kind) {
    return QString::fromLatin1(kindTexts[static_cast<int>(kind)][0]);
}

QString describe(ErrorKind kind) {
    return QString::fromLatin1(kindTexts[static_cast<int>(kind)][1]);
}

void raiseOverflow(const QString& detail, Cause cause) {
    throw RuntimeError(ErrorKind::Overflow, detail, std::move(cause));
}
void raiseFloatFault(const QString& detail, Cause cause) {
    throw RuntimeError(ErrorKind::FloatFault, detail, std::move(cause));
}
void raiseBoundsError(const QString& detail) {
    throw RuntimeError(ErrorKind::SubscriptOutOfRange, detail);
}
void raiseOutOfStack(const QString& detail) {
    throw RuntimeError(ErrorKind::OutOfStackSpace, detail);
}

void checkObjectCall(bool succeeded, const QString& what) {
    if (!succeeded)
        throw RuntimeError(ErrorKind::ObjectCall, what);
}

QString quoteTyped(const QString& typed) {
    constexpr qsizetype longest = 30;
    const QString line = typed.simplified();
    if (line.size() <= longest)
        return u'"' + line + u'"';
    return u'"' + line.left(longest) + QStringLiteral("\u2026\" (%1 characters)").arg(line.size());
}

} // namespace platform
