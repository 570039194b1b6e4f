#include "platform/core/command_line.h"
#include "platform/forms/runtime.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <optional>

using namespace platform;

namespace {

using Action = CommandLine::Action;

class CommandLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        name = QCoreApplication::applicationName();
        version = QCoreApplication::applicationVersion();
        QCoreApplication::setApplicationName(QStringLiteral("Kelvane"));
        QCoreApplication::setApplicationVersion(QStringLiteral("1.00"));
    }
    void TearDown() override {
        QCoreApplication::setApplicationName(name);
        QCoreApplication::setApplicationVersion(version);
    }
    static CommandLine read(const QStringList& options) {
        return readCommandLine(QStringList{QStringLiteral("/usr/bin/kelvane")} + options,
                               QStringLiteral("Watch particles."));
    }
    QString name, version;
};

TEST_F(CommandLineTest, WhatEachCommandLineAsksFor) {
    struct Row {
        QStringList options;
        Action action;
        int exitStatus;
        QString platformOption;
        QString displayOption;
    };
    const Row rows[] = {
        {{}, Action::Run, 0, {}, {}},
        {{"--help"}, Action::ShowHelp, 0, {}, {}},
        {{"-h"}, Action::ShowHelp, 0, {}, {}},
        {{"--help-all"}, Action::ShowHelp, 0, {}, {}},
        {{"--version"}, Action::ShowVersion, 0, {}, {}},
        {{"-v"}, Action::ShowVersion, 0, {}, {}},
        // Qt's own options pass, in each of the spellings Qt accepts.
        {{"-platform", "offscreen"}, Action::Run, 0, "offscreen", {}},
        {{"--platform", "xcb:nograb"}, Action::Run, 0, "xcb:nograb", {}},
        {{"-nograb", "-dograb", "-testability", "-name", "x", "-title", "x"},
         Action::Run,
         0,
         {},
         {}},
        {{"-icon", "x.png", "-visual", "0x21", "--style=fusion"}, Action::Run, 0, {}, {}},
        {{"-display", ":3", "-style", "fusion", "-reverse"}, Action::Run, 0, {}, ":3"},
        {{"-qwindowgeometry", "100x100+5+5", "-widgetcount"}, Action::Run, 0, {}, {}},
        {{"-session", "abc", "-stylesheet=a.qss"}, Action::Run, 0, {}, {}},
        // Anything else is a usage error.
        {{"--bogus"}, Action::UsageError, 2, {}, {}},
        {{"-hv"}, Action::UsageError, 2, {}, {}}, // no bundles of letters
        {{"extra"}, Action::UsageError, 2, {}, {}},
        {{"-platform"}, Action::UsageError, 2, {}, {}}, // its value is missing
        {{"--version", "extra"}, Action::UsageError, 2, {}, {}},
        // Qt would ignore these values: refused rather than dropped without a word.
        {{"-platform=minimal"}, Action::UsageError, 2, {}, {}},
        {{"--platform=offscreen"}, Action::UsageError, 2, {}, {}},
        {{"-display=:152"}, Action::UsageError, 2, {}, {}},
        {{"-name=x"}, Action::UsageError, 2, {}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.options.join(QLatin1Char(' ')).toStdString());
        const CommandLine line = read(row.options);
        EXPECT_EQ(line.action, row.action);
        EXPECT_EQ(line.exitStatus, row.exitStatus);
        EXPECT_EQ(line.platformOption, row.platformOption);
        EXPECT_EQ(line.displayOption, row.displayOption);
    }
}

TEST_F(CommandLineTest, WhatATerminalWouldActOnIsWrittenOut) {
    const struct {
        QString text, shown;
    } rows[] = {
        {QStringLiteral("\x1b]0;pwned\a"), QStringLiteral("\\e]0;pwned\\a")},
        {QStringLiteral("a\tb\nc\rd\be"), QStringLiteral("a\\tb\\nc\\rd\\be")},
        {QStringLiteral("\x01\x7f"), QStringLiteral("\\x01\\x7f")},
        {QString(QChar(0x9b)), QStringLiteral("\\x9b")},
        {QStringLiteral("ab") + QChar(0x202e) + QStringLiteral("cd"),
         QStringLiteral("ab\\u{202e}cd")},
        {QStringLiteral("plain, ") + QChar(0xe9) + QStringLiteral(" and \\"),
         QStringLiteral("plain, ") + QChar(0xe9) + QStringLiteral(" and \\")},
    };
    for (const auto& row : rows)
        EXPECT_EQ(printable(row.text), row.shown) << row.shown.toStdString();
}

// A mode's numbers are the whole argument: a line break or a space at either end is no part of
// a number.
TEST(PlainNumber, TheWholeTextAndNothingElse) {
    const std::pair<const char*, bool> rows[] = {
        {"5", true},      {"-5", true},    {"+2.5", true}, {".5e1", true},  {"1.", true},
        {"1e999", true},  {"007", true},   {"5\n", false}, {"\n5", false},  {"5\r\n", false},
        {"5\n\n", false}, {"5\n6", false}, {" 5", false},  {"5 ", false},   {"5\t", false},
        {"", false},      {".", false},    {"1e", false},  {"0x10", false},
    };
    for (const auto& [text, plain] : rows) {
        const QString given = QString::fromLatin1(text);
        EXPECT_EQ(isPlainNumber(given), plain) << printable(given).toStdString();
    }
    // Digits of other scripts are not ASCII digits.
    EXPECT_FALSE(isPlainNumber(QString(QChar(0x0663))));
}

const std::vector<ProgramOption> ownOptions = {
    {QStringLiteral("factor"), QStringLiteral("number"), QStringLiteral("How fast it spreads.")},
    {QStringLiteral("render"), QStringLiteral("file"), QStringLiteral("Where the picture goes.")},
    {QStringLiteral("json"), {}, QStringLiteral("Print JSON.")},
};

CommandLine readOwn(const QStringList& options) {
    return readCommandLine(QStringList{QStringLiteral("/usr/bin/kelvane")} + options,
                           QStringLiteral("Watch particles."), ownOptions);
}

TEST_F(CommandLineTest, ProgramOptionsAreReadTheGnuWayAndStrictly) {
    using Values = QMap<QString, QString>;
    struct Row {
        QStringList options;
        Action action;
        Values values;
        QString error = {}; // the first line of a usage error, after the program's name
    };
    const Row rows[] = {
        {{}, Action::Run, {}},
        {{"-platform", "offscreen"}, Action::Run, {}},
        {{"--factor", "2", "--render", "a.png"},
         Action::ProgramMode,
         {{"factor", "2"}, {"render", "a.png"}}},
        {{"--factor=2.5", "--json"}, Action::ProgramMode, {{"factor", "2.5"}, {"json", ""}}},
        // The values are the mode's to judge, a value that starts with a dash included.
        {{"--factor=", "-display", ":3"}, Action::ProgramMode, {{"factor", ""}}},
        {{"--factor", "-2"}, Action::ProgramMode, {{"factor", "-2"}}},
        {{"--render", "-factor"}, Action::ProgramMode, {{"render", "-factor"}}},
        {{"--render", "-display=a.png"}, Action::ProgramMode, {{"render", "-display=a.png"}}},
        {{"--factor", "2", "--help"}, Action::ShowHelp, {}},
        {{"--json", "--version"}, Action::ShowVersion, {}},
        {{"--factor"}, Action::UsageError, {}, "Missing value after '--factor'."},
        {{"--json=yes"}, Action::UsageError, {}, "Unexpected value after '--json'."},
        {{"-factor", "2"},
         Action::UsageError,
         {},
         "Option '-factor': write it with two dashes, as in '--factor'."},
        {{"-json"},
         Action::UsageError,
         {},
         "Option '-json': write it with two dashes, as in '--json'."},
        // Every one-dash program option comes before a Qt value after an equals sign.
        {{"-platform=xcb", "-json"},
         Action::UsageError,
         {},
         "Option '-json': write it with two dashes, as in '--json'."},
        {{"--factor", "1", "--factor=2"},
         Action::UsageError,
         {},
         "Option '--factor' is given more than once."},
        {{"--factor", "1", "stray"}, Action::UsageError, {}, "Unexpected argument 'stray'."},
        {{"--json", "--", "--factor"}, Action::UsageError, {}, "Unexpected argument '--factor'."},
        {{"--size", "3"}, Action::UsageError, {}, "Unknown option 'size'."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.options.join(QLatin1Char(' ')).toStdString());
        const CommandLine line = readOwn(row.options);
        EXPECT_EQ(line.action, row.action);
        EXPECT_EQ(line.programArguments.values, row.values);
        if (row.action == Action::ProgramMode) {
            EXPECT_EQ(line.programArguments.program, QStringLiteral("kelvane"));
        }
        if (row.action == Action::UsageError) {
            EXPECT_EQ(line.exitStatus, 2);
            EXPECT_EQ(line.text.section(QLatin1Char('\n'), 0, 0),
                      QStringLiteral("kelvane: ") + row.error);
        }
    }
}

// What the real program prints for its help, version and usage errors is
// tests/delivery/command_line_test.sh's to check; here, what only the reader decides.
TEST_F(CommandLineTest, TheHelpListsQtsOptionsOnlyOnRequestAndTheProgramsAlways) {
    for (const bool all : {false, true}) {
        const QString text = readOwn({all ? "--help-all" : "--help"}).text;
        SCOPED_TRACE(text.toStdString());
        EXPECT_TRUE(text.contains(QStringLiteral("Watch particles.")));
        EXPECT_EQ(text.contains(QStringLiteral("-platform")), all);
        EXPECT_EQ(text.contains(QStringLiteral("-platform <name[:options]>")), all);
        EXPECT_TRUE(text.contains(QStringLiteral("--factor <number>")));
        EXPECT_TRUE(text.contains(QStringLiteral("How fast it spreads.")));
        EXPECT_TRUE(text.contains(QStringLiteral("--json")));
    }
}

TEST_F(CommandLineTest, AModeReportsOnTheStandardErrorWithItsStatus) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(usageError(QStringLiteral("kelvane"), QStringLiteral("No \x1b here.")), 2);
    EXPECT_EQ(runFailure(QStringLiteral("kelvane"), QStringLiteral("Cannot write.")), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "kelvane: No \\e here.\nTry 'kelvane --help'.\nkelvane: Cannot write.\n");
}

TEST_F(CommandLineTest, RunProgramHandsTheProgramOptionsToTheModeWithoutWindows) {
    // The mode returns 7, or raises the error given.
    struct Row {
        QStringList arguments;
        std::optional<ErrorKind> raised;
        int status;
        std::string standardError;
    };
    ProgramArguments received;
    const Row rows[] = {
        {{"--factor=3"}, std::nullopt, 7, ""},
        {{"--json"}, ErrorKind::Overflow, 1, "kelvane: Too large.\n"},
        {{"--json"},
         ErrorKind::FloatFault,
         1,
         "kelvane: " + describe(ErrorKind::FloatFault).toStdString() + "\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.join(QLatin1Char(' ')).toStdString());
        QByteArrayList bytes{"kelvane"};
        for (const QString& argument : row.arguments)
            bytes.append(argument.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& argument : bytes)
            argv.push_back(argument.data());
        int argc = static_cast<int>(argv.size());
        const Project project{QStringLiteral("Kelvane"),
                              QStringLiteral("k"),
                              [] { FAIL() << "a window opened"; },
                              QStringLiteral("Watch."),
                              [](const RuntimeError& error) {
                                  return error.kind() == ErrorKind::Overflow
                                             ? QStringLiteral("Too large.")
                                             : QString();
                              },
                              false,
                              ownOptions,
                              [&](const ProgramArguments& arguments) {
                                  received = arguments;
                                  if (row.raised)
                                      throw RuntimeError(*row.raised, QStringLiteral("deep"));
                                  return 7;
                              }};
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(runProgram(argc, argv.data(), project), row.status);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), row.standardError);
        EXPECT_EQ(received.program, QStringLiteral("kelvane"));
    }
    EXPECT_EQ(received.value(QStringLiteral("json")), QString());
    EXPECT_TRUE(received.isSet(QStringLiteral("json")));
    setErrorWording(nullptr);
}

} // namespace
