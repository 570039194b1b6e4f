#include "tests/tessaly/tessaly_fixture.h"

#include <new>

namespace tessaly::testing {
namespace {

// The report a user reads, with the calculator's words in place.
class ErrorWords : public platform::testing::WordedReportTest<TessalyTest> {
  protected:
    ErrorWords() : WordedReportTest(errorWords) {}
};

struct Row {
    const char* name;
    QString index, cycles;
    // How the error comes about; none: pressing Start with the texts typed.
    std::function<void()> raise;
    std::vector<QString> said;
};

TEST_F(ErrorWords, TheReportNamesWhatWasTypedAndWhatToTypeInstead) {
    const QString indexBeyond = QStringLiteral("the largest index it can compute is 92");
    const Row rows[] = {
        {"an index far beyond 92",
         "1000000",
         "1",
         {},
         {"index 1000000", "larger than this calculator can hold (64 bits)", indexBeyond}},
        {"an index whose number passes 64 bits",
         "93",
         "1",
         {},
         {"The Fibonacci number of index 93 is larger than this calculator can hold (64 bits); "
          "the largest index it can compute is 92."}},
        {"a fractional index whose number passes 64 bits",
         "91.5",
         "1",
         {},
         {"index 91.5", indexBeyond, "with a fraction, an index below 91"}},
        {"an index too large to read",
         "1e309",
         "1",
         {},
         {"The index you typed, \"1e309\", is too large to read as a number.", "92"}},
        {"an index of 10000 digits",
         QString(10000, u'7'),
         "1",
         {},
         {"\"777777777777777777777777777777\u2026\" (10000 characters)", "92"}},
        {"cycles beyond 32 bits",
         "1",
         "2147483648",
         {},
         {"The number of cycles, 2147483648, is more than this calculator can count.",
          "at most 2147483647 cycles"}},
        {"cycles too large to read",
         "1",
         "1e309",
         {},
         {"The number of cycles you typed, \"1e309\", is too large to read as a number.",
          "at most 2147483647 cycles"}},
        {"runs started inside runs",
         "30",
         "1",
         [] { platform::raiseOutOfStack(); },
         {"Start was pressed during a run", "before you press Start again"}},
        {"memory", "30", "1", [] { throw std::bad_alloc(); }, {"ran out of memory"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        if (row.raise) {
            form().NText->setText(row.index);
            form().nT->setText(row.cycles);
            platform::runHandler(row.raise);
        } else {
            start(row.index, row.cycles);
        }
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(platform::exitStatus(), 1);
        for (const QString& part : row.said)
            EXPECT_TRUE(texts[0].contains(part)) << texts[0].toStdString();
        EXPECT_TRUE(texts[0].endsWith(closing)) << texts[0].toStdString();
    }
}

// The words name what the run read, whatever the boxes hold by the time the error comes: a
// person may type while a run goes on, and a run started inside it fills the boxes anew.
TEST_F(ErrorWords, TheReportNamesWhatTheRunReadNotWhatTheBoxesHoldLater) {
    struct Later {
        const char* name;
        QString index, cycles;
        std::function<void(int)> atDispatch;
        QString said, notSaid;
    };
    const Later rows[] = {
        {"cycles too large to read typed before the index fails", "93", "1",
         [](int) { form().nT->setText(QStringLiteral("1e309")); }, "index 93", "cycles"},
        {"cycles beyond 32 bits, a small count typed before they are rounded", "1", "2147483648",
         [](int) { form().nT->setText(QStringLiteral("5")); }, "The number of cycles, 2147483648,",
         "index"},
        {"runs started inside runs, each with an index beyond 64 bits typed", "1", "1",
         [](int) {
             form().NText->setText(QStringLiteral("1000"));
             click(form().StartSyncCommand);
         },
         "Start was pressed during a run", "64 bits"},
    };
    for (const Later& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        SetUp();
        atDispatch(row.atDispatch);
        start(row.index, row.cycles);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_TRUE(texts[0].contains(row.said)) << texts[0].toStdString();
        EXPECT_FALSE(texts[0].contains(row.notSaid)) << texts[0].toStdString();
    }
}

} // namespace
} // namespace tessaly::testing
