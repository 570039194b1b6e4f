#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace platform {

// The number a text starts with. Blanks, tabs and line feeds are skipped wherever they stand;
// then an optional sign, digits with a full stop as the only decimal separator, and an optional
// exponent. Reading stops at the first character that cannot continue the number; a text that
// does not start with one gives 0. None where the number is too large for a double.
std::optional<double> readableNumber(QStringView text);

// The same, where a number too large for a double is the overflow error, caused by the input
// named and the text.
double leadingNumber(QStringView text, const QString& input = {});

// A number as the programs show it: a blank in place of the sign unless negative, a full stop as
// the decimal separator whatever the locale, and the shortest digits that read back to the same
// value. Values from 1e-4 up to 1e15 are written out in full ("0.08", " 15"); others take an
// exponent (" 1e+20", " 2.5e-07").
QString numberText(double value);

// The same number in at most maxLength characters, so that a narrow box shows it whole, exponent
// included: rounded to maxDigits significant digits, or fewer where the text would be longer,
// and in exponent form where even one digit written out in full is too long. A maxLength below
// 9 cannot always be met (" 1e-100").
QString compactNumberText(double value, int maxDigits, int maxLength);

// Exact, case-sensitive, untrimmed.
inline bool compareText(QStringView a, QStringView b) {
    return a == b;
}

} // namespace platform
