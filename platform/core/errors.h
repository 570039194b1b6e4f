#pragma once

#include <QString>
#include <QStringView>

#include <optional>
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
    // A short technical note on where it happened, for the log; never shown to the user.
    const QString& detail() const { return detail_; }

  private:
    ErrorKind kind_;
    QString detail_;
};

// The kind in a few technical words, for the log.
QString kindName(ErrorKind kind);

// What happened, in plain words, for when nothing more is known about it.
QString describe(ErrorKind kind);

[[noreturn]] void raiseOverflow(const QString& detail = {});
[[noreturn]] void raiseFloatFault(const QString& detail = {});
[[noreturn]] void raiseBoundsError(const QString& detail = {});
[[noreturn]] void raiseOutOfStack(const QString& detail = {});

// A window or control operation that could not be carried out.
void checkObjectCall(bool succeeded, const QString& what);

// For the programs' words about an error. A text the user typed, as they can recognise it in a
// report: on one line, quoted, and cut short when long.
QString quoteTyped(const QString& typed);
// The leading number of a typed text, or none where it is too large to read.
std::optional<double> readableNumber(QStringView typed);

} // namespace platform
