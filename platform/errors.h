#pragma once

#include <QString>

#include <stdexcept>

namespace platform {

enum class ErrorKind {
    Overflow,
    FloatFault,
    SubscriptOutOfRange,
    OutOfStackSpace,
    ObjectCall,
    OutOfMemory,
};

// The one error type of both programs. Nothing in the programs catches it: it travels up to the
// boundary where Qt called the handler, is reported there and ends the program.
class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(ErrorKind kind, const QString& detail);

    ErrorKind kind() const { return kind_; }
    const QString& detail() const { return detail_; }

    // What the user reads in the report: the kind in plain words, then the detail, if any.
    QString message() const;

  private:
    ErrorKind kind_;
    QString detail_;
};

QString describe(ErrorKind kind);

[[noreturn]] void raiseOverflow(const QString& detail = {});
[[noreturn]] void raiseFloatFault(const QString& detail = {});
[[noreturn]] void raiseBoundsError(const QString& detail = {});
[[noreturn]] void raiseOutOfStack(const QString& detail = {});

// A window or control operation that could not be carried out.
void checkObjectCall(bool succeeded, const QString& what);

} // namespace platform
