#include "platform/core/text.h"

#include "platform/core/errors.h"

#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace platform {

std::optional<double> readableNumber(QStringView text) {
    // Blanks, tabs and line feeds count for nothing wherever they stand, inside a number too. The
    // number ends at the first character outside ASCII, where the text may not even be valid
    // UTF-16, which the pattern would refuse whole.
    QString compact;
    for (const QChar c : text) {
        if (c.unicode() > 0x7f)
            break;
        if (c != u' ' && c != u'\t' && c != u'\n')
            compact += c;
    }
    // An exponent counts only when at least one digit follows its letter and sign.
    static const QRegularExpression pattern(
        QStringLiteral(R"(^([+-]?)([0-9]*)(?:\.([0-9]*))?(?:[eE]([+-]?)([0-9]+))?)"));
    const QRegularExpressionMatch match = pattern.match(compact);
    const QStringView whole = match.capturedView(2);
    const QString digits = match.captured(2) + match.captured(3);
    if (digits.isEmpty())
        return 0.0;

    // The parser takes a minus sign but no plus sign.
    const QByteArray number = match.capturedView(0).mid(match.capturedView(1) == u"+").toLatin1();
    double value = 0.0;
    if (std::from_chars(number.begin(), number.end(), value).ec != std::errc::result_out_of_range)
        return value;
    // The first significant digit stands for 10^order: at or above 1 the number was too large,
    // below it too small, and a too-small number reads as 0.
    long long exponent = 0;
    for (const QChar d : match.capturedView(5))
        exponent = std::min(exponent * 10 + (d.unicode() - u'0'), 1'000'000'000LL);
    if (match.capturedView(4) == u"-")
        exponent = -exponent;
    const qsizetype zeros =
        std::find_if(digits.begin(), digits.end(), [](QChar d) { return d != u'0'; }) -
        digits.begin();
    if (whole.size() - 1 - zeros + exponent >= 0)
        return std::nullopt;
    return match.capturedView(1) == u"-" ? -0.0 : 0.0;
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
    // Large whole numbers are long in full even with one significant digit: then the exponent.
    for (const bool exponent : {false, true}) {
        for (int digits = std::max(maxDigits, 1); digits >= 1; --digits) {
            const double rounded = QString::number(value, 'g', digits).toDouble();
            const QString text =
                exponent ? signedText(rounded, std::chars_format::scientific) : numberText(rounded);
            if (text.size() <= maxLength || (exponent && digits == 1))
                return text;
        }
    }
    Q_UNREACHABLE();
}

} // namespace platform
