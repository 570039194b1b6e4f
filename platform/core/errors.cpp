#include "platform/core/errors.h"

#include <utility>

namespace platform {

RuntimeError::RuntimeError(ErrorKind kind, const QString& detail, Cause cause)
    : std::runtime_error(kindName(kind).toStdString()), kind_(kind), detail_(detail),
      cause_(std::move(cause)) {}

QString kindName(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::Overflow:
        return QStringLiteral("overflow");
    case ErrorKind::FloatFault:
        return QStringLiteral("floating-point fault");
    case ErrorKind::SubscriptOutOfRange:
        return QStringLiteral("subscript out of range");
    case ErrorKind::OutOfStackSpace:
        return QStringLiteral("out of stack space");
    case ErrorKind::ObjectCall:
        return QStringLiteral("window operation failed");
    case ErrorKind::OutOfMemory:
        return QStringLiteral("out of memory");
    }
    return QStringLiteral("unknown run-time error");
}

QString describe(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::Overflow:
        return QStringLiteral("A number in the program's work became larger than it can hold.");
    case ErrorKind::FloatFault:
        return QStringLiteral("A calculation gave a number larger than the computer can hold, or "
                              "no number at all.");
    case ErrorKind::SubscriptOutOfRange:
        return QStringLiteral("The program looked for an entry outside one of its tables. This is "
                              "a fault in the program, not in what you typed.");
    case ErrorKind::OutOfStackSpace:
        return QStringLiteral("The work nested deeper than the program has room for.");
    case ErrorKind::ObjectCall:
        return QStringLiteral("The program could not carry out an operation on one of its "
                              "windows.");
    case ErrorKind::OutOfMemory:
        return QStringLiteral("The computer ran out of memory for this program. Closing other "
                              "programs may help.");
    }
    return QStringLiteral("The program met an error it cannot recover from.");
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
