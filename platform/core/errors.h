#pragma once

#include <QString>

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

// The input an error came from, as the place that raised it knows it, so that the programs' words
// name what was typed rather than what a box holds by the time the error is reported: which
// input, the text read from it, and the value read where the error came from that. Empty where
// no input was the cause.
struct Cause {
    QString input;
    QString typed;
    std::optional<double> value;
};
// For the checks on the hot paths of both programs: a default that costs no construction.
inline const Cause noCause;

// The one error type of both programs. Nothing in the programs catches it: it travels up to the
// boundary where Qt called the handler, is reported there and ends the program.
class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(ErrorKind kind, const QString& detail, Cause cause = {});

    ErrorKind kind() const { return kind_; }
    // A short technical note on where it happened, for the log; never shown to the user.
    const QString& detail() const { return detail_; }
    const Cause& cause() const { return cause_; }

  private:
    ErrorKind kind_;
    QString detail_;
    Cause cause_;
};

// The kind in a few technical words, for the log.
QString kindName(ErrorKind kind);

// What happened, in plain words, for when nothing more is known about it.
QString describe(ErrorKind kind);

[[noreturn]] void raiseOverflow(const QString& detail = {}, Cause cause = {});
[[noreturn]] void raiseFloatFault(const QString& detail = {}, Cause cause = {});
[[noreturn]] void raiseBoundsError(const QString& detail = {});
[[noreturn]] void raiseOutOfStack(const QString& detail = {});

// A window or control operation that could not be carried out.
void checkObjectCall(bool succeeded, const QString& what);

// For the programs' words about an error. A text the user typed, as they can recognise it in a
// report: on one line, quoted, and cut short when long.
QString quoteTyped(const QString& typed);

} // namespace platform
