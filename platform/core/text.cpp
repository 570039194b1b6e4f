#include "platform/core/text.h"

#include "platform/core/errors.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace platform {
namespace {

bool isSkipped(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

// Walks a text, passing over the characters that never count.
class Reader {
  public:
    explicit Reader(QStringView text) : text_(text) {}

    QChar peek() {
        while (pos_ < text_.size() && isSkipped(text_[pos_]))
            ++pos_;
        return pos_ < text_.size() ? text_[pos_] : QChar();
    }
    void take() { ++pos_; }
    qsizetype position() const { return pos_; }
    void rewind(qsizetype to) { pos_ = to; }

  private:
    QStringView text_;
    qsizetype pos_ = 0;
};

} // namespace

std::optional<double> readableNumber(QStringView text) {
    Reader in(text);
    std::string number;
    number.reserve(32);

    if (in.peek() == u'+') {
        in.take();
    } else if (in.peek() == u'-') {
        number += '-';
        in.take();
    }

    int integerDigits = 0;
    int digits = 0;
    int firstSignificant = -1; // position of the first non-zero digit among all digits
    auto readDigits = [&](bool integerPart) {
        while (isDigit(in.peek())) {
            const char d = static_cast<char>(in.peek().unicode());
            if (d != '0' && firstSignificant < 0)
                firstSignificant = digits;
            number += d;
            ++digits;
            if (integerPart)
                ++integerDigits;
            in.take();
        }
    };

    readDigits(true);
    if (in.peek() == u'.') {
        number += '.';
        in.take();
        readDigits(false);
    }
    if (digits == 0)
        return 0.0;

    // An exponent counts only when at least one digit follows its letter and sign.
    long long exponent = 0;
    if (in.peek() == u'e' || in.peek() == u'E') {
        const qsizetype mark = in.position();
        in.take();
        std::string tail = "e";
        bool negative = false;
        if (in.peek() == u'+' || in.peek() == u'-') {
            negative = in.peek() == u'-';
            tail += negative ? '-' : '+';
            in.take();
        }
        bool any = false;
        while (isDigit(in.peek())) {
            const int d = in.peek().unicode() - u'0';
            tail += static_cast<char>('0' + d);
            exponent = std::min(exponent * 10 + d, 1'000'000'000LL);
            any = true;
            in.take();
        }
        if (any) {
            number += tail;
            if (negative)
                exponent = -exponent;
        } else {
            in.rewind(mark);
        }
    }

    if (firstSignificant < 0)
        return number.front() == '-' ? -0.0 : 0.0;

    double value = 0.0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        // The first significant digit stands for 10^order: at or above 1 the number was too
        // large, below it too small, and a too-small number reads as 0.
        const long long order = integerDigits - 1 - firstSignificant + exponent;
        if (order >= 0)
            return std::nullopt;
        return number.front() == '-' ? -0.0 : 0.0;
    }
    return value;
}

double leadingNumber(QStringView text, const QString& input) {
    if (const std::optional<double> value = readableNumber(text))
        return *value;
    raiseOverflow(QStringLiteral("The number is too large."), {input, text.toString(), {}});
}

namespace {

// A finite, non-zero value in the given notation, a blank in place of a plus sign.
QString signedText(double value, std::chars_format format) {
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, format);
    (void)ec; // 64 characters always hold the shortest form of a double
    QString text = QString::fromLatin1(buffer, end - buffer);
    if (value > 0)
        text.prepend(u' ');
    return text;
}

} // namespace

QString numberText(double value) {
    if (std::isnan(value))
        return QStringLiteral(" NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral(" Infinity");
    if (value == 0.0)
        return QStringLiteral(" 0");
    const double magnitude = std::fabs(value);
    return signedText(value, magnitude >= 1e-4 && magnitude < 1e15 ? std::chars_format::fixed
                                                                   : std::chars_format::scientific);
}

QString compactNumberText(double value, int maxDigits, int maxLength) {
    if (!std::isfinite(value) || value == 0.0)
        return numberText(value);
    double rounded = value;
    for (int digits = std::max(maxDigits, 1); digits >= 1; --digits) {
        rounded = QString::number(value, 'g', digits).toDouble();
        const QString text = numberText(rounded);
        if (text.size() <= maxLength)
            return text;
    }
    // Large whole numbers are long in full even with one significant digit.
    for (int digits = std::max(maxDigits, 1); digits >= 1; --digits) {
        rounded = QString::number(value, 'g', digits).toDouble();
        const QString text = signedText(rounded, std::chars_format::scientific);
        if (text.size() <= maxLength || digits == 1)
            return text;
    }
    return numberText(rounded);
}

QString integerText(std::int64_t value) {
    return QString::number(value);
}

} // namespace platform
