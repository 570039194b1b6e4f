#include "tests/kelvane/kelvane_fixture.h"

#include "platform/core/random.h"

namespace kelvane::testing {
namespace {

using platform::ErrorKind;

// What a user sees after typing a text into a box and pressing "Simulate".
enum class Seen {
    Animation,     // the whole animation runs: 172 steps, age 15 at the end
    Message,       // the warning that the factor must be a number greater than 0; nothing runs
    OverflowError, // the run-time error report "Overflow", and the program ends
    FloatError,    // the run-time error report "Floating-point fault", and the program ends
};

struct Hostile {
    const char* box;
    QString text;
    Seen seen;
};

QString repeated(int count, char c) {
    return QString(count, QLatin1Char(c));
}

std::vector<Hostile> rows() {
    return {
        // The expansion factor: the leading number counts, blanks, tabs and line feeds anywhere
        // are passed over, and a number out of the double range is the overflow error. How every
        // other text reads is the number reader's table; here, what each kind of reading shows.
        {"Tnc", "", Seen::Message},
        {"Tnc", "0", Seen::Message},
        {"Tnc", "-2", Seen::Message},
        {"Tnc", "-0", Seen::Message},
        {"Tnc", "     ", Seen::Message},
        {"Tnc", "1e309", Seen::OverflowError},
        {"Tnc", "-1e309", Seen::OverflowError},
        {"Tnc", "nan", Seen::Message},
        {"Tnc", repeated(10000, 'x'), Seen::Message},
        {"Tnc", repeated(10000, '9'), Seen::OverflowError},
        {"Tnc", "0." + repeated(9997, '0') + "1", Seen::Message}, // too small: reads as 0
        {"Tnc", "1" + repeated(9999, ' '), Seen::Animation},
        {"Tnc", "\u0663", Seen::Message}, // an Arabic-Indic 3
        {"Tnc", "\t2\n", Seen::Animation},
        {"Tnc", QStringLiteral("2\x07\x1b[0m"), Seen::Animation},
        {"Tnc", QString(QChar(0)) + "1", Seen::Message},
        {"Tnc", "2abc", Seen::Animation},
        {"Tnc", "1e-300", Seen::Animation},
        {"Tnc", "1e300", Seen::Animation},
        {"Tnc", "1.7e308", Seen::FloatError}, // the distance of a particle leaves the double range
        // The toggles: only exactly "Yes" is dynamic, and only exactly "No" spreads evenly (the
        // exact comparison's own table has the cases and the blanks); what a click makes of any
        // text is the control window tests' to check.
        {"TDynamic", "", Seen::Animation},
        {"TDynamic", repeated(10000, 'Y'), Seen::Animation},
        {"TDynamic", "\uff39\uff45\uff53", Seen::Animation}, // a full-width Yes
        {"TDynamic", "Yes please", Seen::Animation},
        {"TRandom", "", Seen::Animation},
        {"TRandom", repeated(10000, 'N'), Seen::Animation},
        {"TRandom", "N\u043e", Seen::Animation}, // the o is Cyrillic
        {"TRandom", "No way", Seen::Animation},
    };
}

using HostileInput = KelvaneTest;

TEST_F(HostileInput, EveryTextHasAnOutcomeTheUserCanSee) {
    for (const auto& row : rows()) {
        const std::string label = std::string(row.box) + " \"" + row.text.left(20).toStdString() +
                                  "\" (" + std::to_string(row.text.size()) + " characters)";
        restart();
        auto* box = control().findChild<platform::TextBox*>(QString::fromLatin1(row.box));
        ASSERT_NE(box, nullptr);
        box->setText(row.text); // as pasted
        ASSERT_EQ(box->text(), row.text) << label;
        atEveryStep();

        simulate();

        switch (row.seen) {
        case Seen::Animation:
            EXPECT_TRUE(errors.empty()) << label;
            EXPECT_TRUE(messages.empty()) << label;
            EXPECT_FALSE(platform::programEnded()) << label;
            EXPECT_EQ(steps, 172) << label;
            EXPECT_EQ(control().Tage->text(), QStringLiteral(" 15")) << label;
            if (std::string(row.box) == "TDynamic") { // static points
                EXPECT_EQ(platform::randomDraws(), 302u) << label;
            } else if (std::string(row.box) == "TRandom") { // random directions
                EXPECT_EQ(platform::randomDraws(), 151u) << label;
                EXPECT_NE(Module1::Angle(75), 3.141592653589) << label;
            }
            break;
        case Seen::Message:
            EXPECT_TRUE(errors.empty()) << label;
            ASSERT_EQ(messages.size(), 1u) << label;
            EXPECT_EQ(messages[0], Module1::nonPositiveFactorMessage());
            EXPECT_FALSE(platform::programEnded()) << label;
            EXPECT_EQ(steps, 0) << label;
            EXPECT_EQ(control().Tage->text(), QStringLiteral("0")) << label;
            // Nothing was set up: no random number drawn, the legend as it was.
            EXPECT_EQ(platform::randomDraws(), 0u) << label;
            EXPECT_EQ(platform::backColor(&control().Label3(1)),
                      platform::backColor(&control().Label3(0)))
                << label;
            break;
        case Seen::OverflowError:
        case Seen::FloatError:
            ASSERT_EQ(errors.size(), 1u) << label;
            EXPECT_EQ(errors[0],
                      row.seen == Seen::OverflowError ? ErrorKind::Overflow : ErrorKind::FloatFault)
                << label;
            EXPECT_TRUE(messages.empty()) << label;
            EXPECT_TRUE(platform::programEnded()) << label;
            EXPECT_EQ(platform::exitStatus(), 1) << label;
            EXPECT_FALSE(control().isVisible()) << label;
            break;
        }
    }
}

} // namespace
} // namespace kelvane::testing
