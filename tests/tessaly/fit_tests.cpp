#include "platform/core/text.h"
#include "tests/support/fit.h"
#include "tests/tessaly/tessaly_fixture.h"

#include <cstdint>

namespace tessaly::testing {
namespace {

using TessalyFit = TessalyTest;

std::vector<QString> fibonacciTexts(int lastIndex) {
    std::vector<QString> texts;
    std::int64_t a = 0, b = 1;
    for (int i = 0; i <= lastIndex; ++i) {
        texts.push_back(QString::number(a));
        const std::int64_t next = a + b;
        a = b;
        b = next;
    }
    return texts;
}

// Averages of every size a run can give, each with the widest digits its size allows.
std::vector<QString> averageTexts() {
    std::vector<QString> texts;
    for (double scale = 1e-12; scale < 1e20; scale *= 10)
        for (double mantissa : {1.0, 1.0000001, 4.4444444, 8.8888888, 9.9999994, 9.99999996})
            for (std::int64_t cycles : {1, 7, 2147483647})
                texts.push_back(averageText(mantissa * scale * cycles, cycles));
    return texts;
}

TEST_F(TessalyFit, EveryWrittenTextReadsInFullInItsBox) {
    struct Row {
        platform::TextBox* box;
        std::vector<QString> texts;
    };
    const Row rows[] = {
        {&form().ResultText(0), fibonacciTexts(47)},
        {&form().ResultText(1), averageTexts()},
        {form().cntT, {QStringLiteral("2147483647"), QStringLiteral("0")}},
        {form().NText, {QStringLiteral("47")}},
    };
    for (const Row& row : rows) {
        for (const QString& text : row.texts) {
            EXPECT_TRUE(fit::readsInFull(*row.box, text))
                << row.box->objectName().toStdString() << " \"" << text.toStdString() << '"';
            row.box->setText(text);
            EXPECT_TRUE(row.box->toolTip().isEmpty()) << text.toStdString();
        }
    }
}

TEST_F(TessalyFit, AveragesKeepTheirExponentAndTheirSign) {
    struct Row {
        double seconds;
        std::int64_t cycles;
        const char* expected;
    };
    const Row rows[] = {
        {0.8698502, 1, " 0.8698502"},
        {9.742106e-05, 1, " 9.742e-05"},
        {1.2345678e-4, 1, " 0.0001235"},
        {9.99996e-5, 1, " 0.0001"}, // rounds up out of the exponent range
        {1.5e-10 * 3, 3, " 1.5e-10"},
        {1234567.89, 1, " 1234568"},
        {2.5e17, 1, " 2.5e+17"},
        {1.2345678e10, 1, " 1.235e+10"}, // too long written out in full
    };
    for (const Row& row : rows)
        EXPECT_EQ(averageText(row.seconds, row.cycles).toStdString(), row.expected);
}

TEST_F(TessalyFit, ATextTooWideIsTheTooltipAndDescriptionWhole) {
    platform::TextBox& box = form().ResultText(0);
    const QString index92 = QStringLiteral("7540113804746346429");
    EXPECT_FALSE(fit::readsInFull(box, index92));
    box.setText(index92);
    EXPECT_EQ(box.toolTip(), index92);
    EXPECT_EQ(box.accessibleDescription(), index92);
    box.setText(QStringLiteral("55"));
    EXPECT_TRUE(box.toolTip().isEmpty());
    EXPECT_TRUE(box.accessibleDescription().isEmpty());

    // Typed by the user, not written by the program.
    form().NText->clear();
    QTest::keyClicks(form().NText, QStringLiteral("123456789012345"));
    EXPECT_EQ(form().NText->toolTip(), QStringLiteral("123456789012345"));
    EXPECT_EQ(form().NText->accessibleDescription(), QStringLiteral("123456789012345"));
}

TEST_F(TessalyFit, CaptionsFit) {
#ifdef KT_TESTS_EMULATED
    // Under qemu-aarch64 this case never comes back; what the captions draw does not depend on
    // the processor, and the native run measures it.
    GTEST_SKIP() << "does not finish under the emulator";
#endif
    fit::expectCaptionsFit(form());
    for (const char* caption : {"Cancel", "Canceled"}) {
        form().EndSyncCommand->setText(QString::fromLatin1(caption));
        fit::expectCaptionsFit(form());
    }
}

} // namespace
} // namespace tessaly::testing
