#pragma once

#include "platform/core/clock.h"
#include "platform/core/errors.h"

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

} // namespace platform::testing
