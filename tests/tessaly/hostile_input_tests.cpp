#include "stack.h"
#include "tessaly_fixture.h"

#include <optional>

namespace tessaly::testing {
namespace {

// What a user sees after typing a text into one box and pressing "Start": the result and the
// cycles done, or the run-time error report (after which the program has ended).
struct Row {
    const char* name;
    QString text;
    QString result, count;
    std::optional<platform::ErrorKind> error = std::nullopt; // none: a result
};

const QString tooLong = QString(10000, u'7'); // a number far too large for a double
const QString longTail = QStringLiteral("12") + QString(9998, u'z');
constexpr auto overflow = platform::ErrorKind::Overflow;

class HostileInput : public TessalyTest {
  protected:
    void check(const Row& row) {
        EXPECT_EQ(result(), row.result);
        EXPECT_EQ(count(), row.count);
        if (row.error) {
            EXPECT_EQ(errors, std::vector{*row.error});
            EXPECT_EQ(platform::exitStatus(), 1);
        } else {
            EXPECT_TRUE(errors.empty());
            EXPECT_FALSE(platform::programEnded());
            EXPECT_EQ(caption(), QStringLiteral("End"));
        }
    }
};

// Into the index box, with one cycle. An error while reading leaves the boxes untouched.
TEST_F(HostileInput, Index) {
    // Deeper than the stack this run was given, however large: every level takes 16 bytes or
    // more, and a whole index n nests n - 1 levels. It is far beyond 64 bits too.
    const QString deeperThanTheStack =
        QString::number((platform::stackBounds().high - platform::stackLimit()) / 16 + 2);
    const Row rows[] = {
        {"empty", "", "0", "1"},
        {"blanks only", "   ", "0", "1"},
        {"too large", "1e309", "No result", "0", overflow},
        {"too large, negative", "-1e309", "No result", "0", overflow},
        {"nan", "nan", "0", "1"},
        {"inf", "inf", "0", "1"},
        {"-inf", "-inf", "0", "1"},
        {"10000 digits", tooLong, "No result", "0", overflow},
        {"a number and 9998 letters", longTail, "144", "1"},
        {"Arabic-Indic digits", QStringLiteral("٣٤"), "0", "1"},
        {"full-width digits", QStringLiteral("１２"), "0", "1"},
        {"ideographs", QStringLiteral("二十"), "0", "1"},
        {"tab and line feed inside", "\t1\n2", "144", "1"},
        {"carriage return first", "\r12", "0", "1"},
        {"control character first", "\00112", "0", "1"}, // octal escapes stop at 3 digits
        {"number then garbage", "12abc", "144", "1"},
        {"dangling exponent", "7e+", "13", "1"},
        {"two decimal points", "3.5.1", "5", "1"},
        {"negative, huge", "-1e17", "1", "1"},
        // Numbers beyond 64 bits: refused at once rather than after centuries of calls.
        {"never reaches a base case", "1e17", "0", "0", overflow},
        {"deeper than the stack", deeperThanTheStack, "0", "0", overflow},
        {"the first index beyond 64 bits", "93", "0", "0", overflow},
        {"a fractional index beyond 64 bits", "91.5", "0", "0", overflow},
        {"fifty thousand", "50000", "0", "0", overflow},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        start(row.text, QStringLiteral("1"));
        check(row);
    }
}

// Into the cycles box, with index 1.
TEST_F(HostileInput, Cycles) {
    const Row rows[] = {
        {"empty", "", "1", "1"},
        {"blanks only", "   ", "1", "1"},
        {"too large", "1e309", "No result", "0", overflow},
        {"too large, negative", "-1e309", "No result", "0", overflow},
        {"nan", "nan", "1", "1"},
        {"inf", "inf", "1", "1"},
        {"10000 digits", tooLong, "No result", "0", overflow},
        {"a number and 9998 letters", longTail, "1", "12"},
        {"Arabic-Indic digits", QStringLiteral("٣"), "1", "1"},
        {"tab and line feed inside", "\t1\n2", "1", "12"},
        {"control character first", "\0013", "1", "1"},
        {"number then garbage", "3 cycles", "1", "3"},
        // Read after the boxes were set to "0" and the button to "Cancel".
        {"just beyond 32 bits", "2147483648", "0", "0", overflow},
        {"negative beyond 32 bits", "-1e10", "1", "1"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        start(QStringLiteral("1"), row.text);
        check(row);
    }
}

} // namespace
} // namespace tessaly::testing
