#include "command_line.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

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

TEST_F(CommandLineTest, TextsNameTheProgramAndShowQtOptionsOnlyOnRequest) {
    const CommandLine help = read({"--help"});
    EXPECT_TRUE(help.text.startsWith(QStringLiteral("Usage: kelvane [options]\n")))
        << help.text.toStdString();
    EXPECT_TRUE(help.text.contains(QStringLiteral("Watch particles.")));
    EXPECT_TRUE(help.text.contains(QStringLiteral("--version")));
    EXPECT_FALSE(help.text.contains(QStringLiteral("-platform")));

    EXPECT_TRUE(read({"--help-all"}).text.contains(QStringLiteral("-platform <name[:options]>")));
    EXPECT_EQ(read({"-v"}).text, QStringLiteral("Kelvane 1.00\n"));

    const CommandLine error = read({"--bogus"});
    EXPECT_TRUE(error.text.startsWith(QStringLiteral("kelvane: Unknown option 'bogus'.\n")))
        << error.text.toStdString();
    EXPECT_TRUE(error.text.contains(QStringLiteral("Usage: kelvane [options]")));
    EXPECT_TRUE(
        read({"extra"}).text.startsWith(QStringLiteral("kelvane: Unexpected argument 'extra'.")));
    EXPECT_TRUE(read({"-platform=offscreen"})
                    .text.startsWith(QStringLiteral(
                        "kelvane: Option '-platform=offscreen': give the value as the next "
                        "argument, as in '-platform offscreen'.")));
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

    const CommandLine error = read({QStringLiteral("--\x1b]0;pwned\a")});
    EXPECT_FALSE(error.text.contains(QChar(0x1b)));
    EXPECT_TRUE(error.text.startsWith(QStringLiteral("kelvane: Unknown option '\\e]0;pwned\\a'.")))
        << error.text.toStdString();
}

TEST_F(CommandLineTest, AProgramStartedWithoutANameGoesByItsOwn) {
    const CommandLine error =
        readCommandLine({QString(), QStringLiteral("--bogus")}, QStringLiteral("Watch."));
    EXPECT_TRUE(error.text.startsWith(QStringLiteral("kelvane: Unknown option 'bogus'.")))
        << error.text.toStdString();
    EXPECT_TRUE(error.text.contains(QStringLiteral("Usage: kelvane [options]")));
    EXPECT_EQ(programName({QStringLiteral("/opt/x/tessaly")}, QStringLiteral("t")),
              QStringLiteral("tessaly"));
}

} // namespace
