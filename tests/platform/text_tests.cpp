#include "platform/core/errors.h"
#include "platform/core/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace platform;

namespace {

TEST(LeadingNumber, ReadsWhatATextStartsWith) {
    struct Row {
        const char16_t* text;
        double expected;
    };
    const Row rows[] = {
        {u"1", 1.0},
        {u"", 0.0},
        {u"abc", 0.0},
        {u"  42", 42.0},
        {u"\t\n7", 7.0},
        {u"1 2 3", 123.0}, // blanks inside count for nothing
        {u"\t1\n2", 12.0},
        {u"- 5", -5.0},
        {u"+3", 3.0},
        {u"2.5", 2.5},
        {u".5", 0.5},
        {u"5.", 5.0},
        {u"-.25x", -0.25},
        {u"1,5", 1.0}, // a comma is never a separator
        {u"1.2.3", 1.2},
        {u"1e3", 1000.0},
        {u"1E-2", 0.01},
        {u"1e+2", 100.0},
        {u"1 e 2", 100.0},
        {u"1e", 1.0}, // an exponent needs a digit
        {u"1e+", 1.0},
        {u"1e5e5", 100000.0},
        {u"1ex", 1.0},
        {u"12abc", 12.0},
        {u"3\r4", 3.0}, // a carriage return is not skipped
        {u"\r12", 0.0},
        {u"\x01"
         u"12",
         0.0},
        {u"-", 0.0},
        {u".", 0.0},
        {u"+-1", 0.0},
        {u"1e-400", 0.0}, // too small reads as 0
        {u"0e999999999999999", 0.0},
        {u"4.9406564584124654e-324", 4.9406564584124654e-324},
        {u"1.7976931348623157e308", 1.7976931348623157e308},
        {u"\u0661\u0662", 0.0}, // digits of other scripts are not read
        {u"١", 0.0},
        {u"\uff11\uff12", 0.0}, // full-width
        {u"二十", 0.0},
        {u"12\xd800", 12.0}, // an unpaired half of a pair ends the number, not the reading
        {u"nan", 0.0},
        {u"inf", 0.0},
        {u"NaN", 0.0},
        {u"-Infinity", 0.0},
        {u"0x10", 0.0},
        {u"00012", 12.0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(leadingNumber(QStringView(row.text)), row.expected)
            << QString::fromUtf16(row.text).toStdString();
        EXPECT_EQ(readableNumber(QStringView(row.text)), row.expected)
            << QString::fromUtf16(row.text).toStdString();
    }
}

TEST(LeadingNumber, TooLargeIsOverflow) {
    for (const char16_t* text : {u"1e309", u"-1e309", u"1e999999999999999999999",
                                 u"179769313486231580793728971405303415079934132710037826936173778"
                                 u"980444968292764750946649017977587207096330286416692887910946555"
                                 u"547851940402630657488671505820681908902000708383676273854845817"
                                 u"711531764475730270069855571366959622842914819860834936475292719"
                                 u"074168444365510704342711559699508093042880177904174497792.0"}) {
        EXPECT_EQ(readableNumber(QStringView(text)), std::nullopt);
        try {
            leadingNumber(QStringView(text), QStringLiteral("factor"));
            ADD_FAILURE() << "no error for " << QString::fromUtf16(text).toStdString();
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::Overflow);
            // The error names the input and what was typed there, for the report's words.
            EXPECT_EQ(e.cause().input, QStringLiteral("factor"));
            EXPECT_EQ(e.cause().typed, QString::fromUtf16(text));
            EXPECT_EQ(e.cause().value, std::nullopt);
        }
    }
}

TEST(LeadingNumber, LongTextsAreReadWithoutTrouble) {
    EXPECT_EQ(leadingNumber(QString(10000, u'x')), 0.0);
    EXPECT_EQ(leadingNumber(QString(10000, u' ') + QStringLiteral("5")), 5.0);
    EXPECT_EQ(leadingNumber(QStringLiteral("0.") + QString(5000, u'0') + QStringLiteral("1")), 0.0);
    EXPECT_THROW(leadingNumber(QString(400, u'9')), RuntimeError);
}

TEST(NumberText, SignBlankAndFullStop) {
    struct Row {
        double value;
        const char* expected;
    };
    const Row rows[] = {
        {0.0, " 0"},
        {-0.0, " 0"},
        {15.0, " 15"},
        {0.08, " 0.08"},
        {14.99, " 14.99"},
        {-2.5, "-2.5"},
        {1.0 / 3.0, " 0.3333333333333333"},
        {1e15, " 1e+15"},
        {123456789.0, " 123456789"},
        {1e-4, " 0.0001"},
        {2.5e-7, " 2.5e-07"},
        {-1e300, "-1e+300"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(numberText(row.value).toStdString(), row.expected) << row.value;
}

TEST(NumberText, ReadsBackExactly) {
    const double values[] = {0.1,
                             1.0 / 3.0,
                             2.0 / 3.0,
                             1e-300,
                             4.9406564584124654e-324,
                             1.7976931348623157e308,
                             -123.456,
                             0.0872093023255814,
                             12345678.9,
                             999999999999999.9,
                             1e-5,
                             -7.25e21};
    for (double v : values)
        EXPECT_EQ(leadingNumber(numberText(v)), v) << numberText(v).toStdString();
}

TEST(NumberText, SpecialValuesHaveAText) {
    EXPECT_EQ(numberText(std::numeric_limits<double>::quiet_NaN()), " NaN");
    EXPECT_EQ(numberText(std::numeric_limits<double>::infinity()), " Infinity");
    EXPECT_EQ(numberText(-std::numeric_limits<double>::infinity()), "-Infinity");
}

TEST(CompareText, IsExact) {
    EXPECT_TRUE(compareText(u"Yes", u"Yes"));
    for (const char16_t* other : {u"yes", u"YES", u"Yes ", u" Yes", u"", u"No"})
        EXPECT_FALSE(compareText(u"Yes", QStringView(other)));
}

} // namespace
