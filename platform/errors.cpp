#include "errors.h"

namespace platform {

RuntimeError::RuntimeError(ErrorKind kind, const QString& detail)
    : std::runtime_error(describe(kind).toStdString()), kind_(kind), detail_(detail) {}

QString RuntimeError::message() const {
    if (detail_.isEmpty())
        return describe(kind_);
    return describe(kind_) + QStringLiteral("\n\n") + detail_;
}

QString describe(ErrorKind kind) {
    switch (kind) {
    case ErrorKind::Overflow:
        return QStringLiteral("Overflow: a number became too large for the place that holds it.");
    case ErrorKind::FloatFault:
        return QStringLiteral("Floating-point fault: an invalid operation, a division by zero or "
                              "a result too large to represent.");
    case ErrorKind::SubscriptOutOfRange:
        return QStringLiteral("Subscript out of range: a table was read or written outside its "
                              "bounds.");
    case ErrorKind::OutOfStackSpace:
        return QStringLiteral("Out of stack space: the computation nests too deeply.");
    case ErrorKind::ObjectCall:
        return QStringLiteral("A window operation failed.");
    case ErrorKind::OutOfMemory:
        return QStringLiteral("Out of memory.");
    }
    return QStringLiteral("Unknown run-time error.");
}

void raiseOverflow(const QString& detail) {
    throw RuntimeError(ErrorKind::Overflow, detail);
}
void raiseFloatFault(const QString& detail) {
    throw RuntimeError(ErrorKind::FloatFault, detail);
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

} // namespace platform
