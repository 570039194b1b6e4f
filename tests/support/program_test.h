#pragma once

#include "platform/core/clock.h"
#include "platform/core/errors.h"
#include "platform/forms/runtime.h"

#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <vector>

class QWidget;

// Failures show texts as texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace platform::testing {

// How many times fewer rounds a soak takes: under an emulator (a cross build's tests) each
// round costs many times what it costs on the processor itself.
#ifdef KT_TESTS_EMULATED
constexpr int soakShare = 4;
#else
constexpr int soakShare = 1;
#endif

// What every test of a program needs at a fresh program start: the program's state reset, a fake
// clock in place of the real one, so that paced runs take no time, and run-time errors captured
// instead of shown. All of it is undone after the test, the dispatch hook too.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    static void click(QWidget* widget);

    // Counts the dispatches of the program's loops in `dispatches` and runs action, if any, with
    // the count at each, inside the run.
    void onDispatch(std::function<void(int)> action = {});

    FakeClock clock;
    std::vector<ErrorKind> errors;
    int dispatches = 0;
};

// The reports a user reads, in a program's own words, on top of that program's fixture.
template <class Fixture> class WordedReportTest : public Fixture {
  protected:
    explicit WordedReportTest(ErrorWording words) : words_(std::move(words)) {}

    void SetUp() override {
        Fixture::SetUp();
        setErrorWording(words_);
        texts.clear();
        setErrorReporter([this](const RuntimeError& error) { texts.push_back(reportText(error)); });
    }
    void TearDown() override {
        setErrorWording(nullptr);
        Fixture::TearDown();
    }

    // How every report ends.
    inline static const QString closing =
        QStringLiteral("\n\nThe program will close when you press OK.");
    std::vector<QString> texts;

  private:
    ErrorWording words_;
};

} // namespace platform::testing
