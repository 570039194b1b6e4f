#include "kelvane/forms/form1.h"
#include "tests/kelvane/kelvane_fixture.h"

namespace kelvane::testing {
namespace {

// The report a user reads, with the animation's words in place.
class ErrorWords : public platform::testing::WordedReportTest<KelvaneTest> {
  protected:
    ErrorWords() : WordedReportTest(errorWords) {}
};

struct Row {
    const char* name;
    QString factor;
    // How the error comes about; none: pressing Simulate with the factor typed.
    std::function<void(Form2&)> raise;
    std::vector<QString> said;
};

TEST_F(ErrorWords, TheReportNamesWhatWasTypedAndWhatToDoInstead) {
    const QString tooLarge = QStringLiteral(
        "is too large: the distances of the animation grew past the largest number the computer "
        "can hold. Type a factor below 1e300.");
    const Row rows[] = {
        {"a factor whose distances leave the double range",
         "1e308",
         {},
         {"The expansion factor you typed, \"1e308\", " + tooLarge}},
        {"the largest double",
         "1.7976931348623157e308",
         {},
         {"\"1.7976931348623157e308\"", tooLarge}},
        {"a factor too large to read",
         "1e309",
         {},
         {"The expansion factor you typed, \"1e309\", is too large to read as a number. Type a "
          "factor greater than 0 and below 1e300."}},
        {"a factor of 10000 digits",
         QString(10000, u'9'),
         {},
         {"\"999999999999999999999999999999\u2026\" (10000 characters)", "below 1e300"}},
        {"a display window larger than memory",
         "1",
         [](Form2& display) {
             display.resize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
             display.cls();
         },
         {"not enough memory to draw the display window", "Make the display window smaller"}},
        {"animations started inside animations",
         "1",
         [](Form2&) { platform::raiseOutOfStack(); },
         {"Simulate was pressed during an animation"}},
        // Nothing to add in the program's own words: the plain description of the kind.
        {"a table read outside its bounds",
         "1",
         [](Form2&) { platform::raiseBoundsError(); },
         {platform::describe(platform::ErrorKind::SubscriptOutOfRange)}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        restart();
        control().Tnc->setText(row.factor);
        if (row.raise)
            platform::runHandler([&] { row.raise(display()); });
        else
            simulate();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(platform::exitStatus(), 1);
        for (const QString& part : row.said)
            EXPECT_TRUE(texts[0].contains(part)) << texts[0].toStdString();
        EXPECT_TRUE(texts[0].endsWith(closing)) << texts[0].toStdString();
    }
}

// The words quote the factor the run read, whatever the box holds by the time the distances grow
// too large: a person may type while the animation goes on.
TEST_F(ErrorWords, TheReportQuotesTheFactorTheRunRead) {
    for (const QString& typedLater : {QStringLiteral("2"), QStringLiteral("1e309")}) {
        SCOPED_TRACE(typedLater.toStdString());
        restart();
        control().Tnc->setText(QStringLiteral("1e308"));
        atEveryStep([&](int) { control().Tnc->setText(typedLater); });
        simulate();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_TRUE(texts[0].startsWith(QStringLiteral("The expansion factor you typed, \"1e308\", "
                                                       "is too large: the distances")))
            << texts[0].toStdString();
    }
}

// The bound the report gives holds for a display window far above the design size, whose
// radius, and with it every distance, grows eight times as large.
TEST_F(ErrorWords, AFactorBelowTheBoundRunsToTheEndOnALargeDisplay) {
    display().resize(400, 2900);
    control().Tnc->setText(QStringLiteral("9.99e299"));
    atEveryStep();
    simulate();
    EXPECT_TRUE(texts.empty());
    EXPECT_GT(steps, 1400);
    EXPECT_EQ(control().Tage->text(), QStringLiteral(" 15"));
}

} // namespace
} // namespace kelvane::testing
