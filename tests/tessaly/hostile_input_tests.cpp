#include "platform/core/stack.h"
#include "tests/tessaly/tessaly_fixture.h"

#include <new>

namespace tessaly::testing {

namespace {

// The report a user reads, with the calculator's words in place.
class HostileInput : public platform::testing::WordedReportTest<TessalyTest> {
  protected:
    HostileInput() : WordedReportTest(errorWords) {}

    // The one report, which ends the program with status 1.
    void expectReport(const QString& said) {
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0], said + closing);
        EXPECT_EQ(platform::exitStatus(), 1);
    }
};

const QString tooLong = QString(10000, u'7'); // a number far too large for a double
const QString longTail = QStringLiteral("12") + QString(9998, u'z');
// The report of an index whose number 64 bits cannot hold.
QString beyond64Bits(const QString& index) {
    return QStringLiteral("The Fibonacci number of index %1 is larger than this calculator can "
                          "hold (64 bits); the largest index it can compute is 92.")
        .arg(index);
}
const QString cycles2147483648 =
    QStringLiteral("The number of cycles, 2147483648, is more than this calculator can count. A "
                   "run can have at most 2147483647 cycles.");
const QString nestedRuns = QStringLiteral(
    "Start was pressed during a run so many times that the runs, each waiting inside the one "
    "before, need more room than the program has. Let a run finish, or cancel it, before you "
    "press Start again.");

// What a user sees after typing texts into the boxes and pressing "Start": the result and the
// cycles done, or the report of a run-time error, which ends the program. An error while reading
// leaves the boxes untouched. How every other text reads is the number reader's table; here,
// what each kind of reading shows.
TEST_F(HostileInput, TypedTexts) {
    struct Row {
        const char* name;
        QString index, cycles;
        QString result, count;
        QString said = {};                       // the report; none: no report
        std::function<void(int)> meanwhile = {}; // at each dispatch of the run
    };
    // Deeper than the stack this run was given, however large: every level takes 16 bytes or
    // more, and a whole index n nests n - 1 levels. It is far beyond 64 bits too.
    const QString deeperThanTheStack =
        QString::number((platform::stackBounds().high - platform::stackLimit()) / 16 + 2);
    const Row rows[] = {
        {"empty", "", "1", "0", "1"},
        {"blanks only", "   ", "1", "0", "1"},
        {"too large", "1e309", "1", "No result", "0",
         "The index you typed, \"1e309\", is too large to read as a number. The largest index "
         "this calculator can compute is 92."},
        {"too large, negative", "-1e309", "1", "No result", "0",
         "The index you typed, \"-1e309\", is too large to read as a number. The largest index "
         "this calculator can compute is 92."},
        {"nan", "nan", "1", "0", "1"},
        {"10000 digits", tooLong, "1", "No result", "0",
         "The index you typed, \"777777777777777777777777777777\u2026\" (10000 characters), is "
         "too large to read as a number. The largest index this calculator can compute is 92."},
        {"a number and 9998 letters", longTail, "1", "144", "1"},
        {"Arabic-Indic digits", QStringLiteral("٣٤"), "1", "0", "1"},
        {"tab and line feed inside", "\t1\n2", "1", "144", "1"},
        {"number then garbage", "12abc", "1", "144", "1"},
        {"negative, huge", "-1e17", "1", "1", "1"},
        // Numbers beyond 64 bits: refused at once rather than after centuries of calls.
        {"never reaches a base case", "1e17", "1", "0", "0", beyond64Bits(QStringLiteral("1e+17"))},
        {"deeper than the stack", deeperThanTheStack, "1", "0", "0",
         beyond64Bits(deeperThanTheStack)},
        {"the first index beyond 64 bits", "93", "1", "0", "0", beyond64Bits(QStringLiteral("93"))},
        {"far beyond 64 bits", "1000000", "1", "0", "0", beyond64Bits(QStringLiteral("1000000"))},
        {"a fractional index beyond 64 bits", "91.5", "1", "0", "0",
         "The Fibonacci number of index 91.5 is larger than this calculator can hold (64 bits); "
         "the largest index it can compute is 92 (with a fraction, an index below 91)."},
        // Into the cycles box.
        {"cycles of blanks only", "1", "   ", "1", "1"},
        {"cycles too large", "1", "1e309", "No result", "0",
         "The number of cycles you typed, \"1e309\", is too large to read as a number. A run can "
         "have at most 2147483647 cycles."},
        {"cycles too large, negative", "1", "-1e309", "No result", "0",
         "The number of cycles you typed, \"-1e309\", is too large to read as a number. A run "
         "can have at most 2147483647 cycles."},
        {"10000 digits of cycles", "1", tooLong, "No result", "0",
         "The number of cycles you typed, \"777777777777777777777777777777\u2026\" (10000 "
         "characters), is too large to read as a number. A run can have at most 2147483647 "
         "cycles."},
        {"cycles of a number and 9998 letters", "1", longTail, "1", "12"},
        // Read after the boxes were set to "0" and the button to "Cancel".
        {"cycles just beyond 32 bits", "1", "2147483648", "0", "0", cycles2147483648},
        {"cycles negative beyond 32 bits", "1", "-1e10", "1", "1"},
        // The report names what the run read, whatever the boxes hold by the time the error
        // comes: a person may type while a run goes on, and a run started inside it fills the
        // boxes anew.
        {"cycles too large to read typed before the index fails", "93", "1", "0", "0",
         beyond64Bits(QStringLiteral("93")),
         [](int) { form().nT->setText(QStringLiteral("1e309")); }},
        {"cycles beyond 32 bits, a small count typed before they are rounded", "1", "2147483648",
         "0", "0", cycles2147483648, [](int) { form().nT->setText(QStringLiteral("5")); }},
        {"runs started inside runs, each with an index beyond 64 bits typed", "1", "1", "0", "0",
         nestedRuns,
         [](int) {
             form().NText->setText(QStringLiteral("1000"));
             click(form().StartSyncCommand);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        atDispatch(row.meanwhile);
        start(row.index, row.cycles);
        EXPECT_EQ(result(), row.result);
        EXPECT_EQ(count(), row.count);
        if (row.said.isEmpty()) {
            EXPECT_TRUE(texts.empty());
            EXPECT_FALSE(platform::programEnded());
            EXPECT_EQ(caption(), QStringLiteral("End"));
        } else {
            expectReport(row.said);
        }
    }
}

// Errors no text typed gives.
TEST_F(HostileInput, ErrorsOfTheRunItself) {
    const std::pair<std::function<void()>, QString> rows[] = {
        {[] { platform::raiseOutOfStack(); }, nestedRuns},
        {[] { throw std::bad_alloc(); },
         QStringLiteral("The computer ran out of memory for this program. Closing other programs "
                        "may help.")},
    };
    for (const auto& [raise, said] : rows) {
        TearDown();
        SetUp();
        platform::runHandler(raise);
        expectReport(said);
    }
}

} // namespace
} // namespace tessaly::testing
