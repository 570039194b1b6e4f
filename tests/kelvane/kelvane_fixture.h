#pragma once

#include "kelvane/engine/module1.h"
#include "kelvane/forms/form1.h"
#include "kelvane/forms/form2.h"
#include "platform/forms/qt_colour.h"
#include "platform/forms/runtime.h"
#include "tests/support/program_test.h"

#include <QTest>

#include <functional>
#include <vector>

namespace kelvane::testing {

// A fresh program start for every test: new windows, engine state at zero, the random sequence
// from its beginning, a fake clock so that a paced run takes no time, and reports captured.
class KelvaneTest : public platform::testing::ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        Module1::reset();
        dispatches = 0;
        messages.clear();
        platform::setWarningReporter(
            [this](const QString& message) { messages.push_back(message); });
        control().show();
    }

    void TearDown() override {
        platform::setWarningReporter(nullptr);
        ProgramTest::TearDown();
        Module1::reset();
    }

    // The program ends and starts again, as between two cases.
    void restart() {
        TearDown();
        SetUp();
    }

    Form1& control() { return platform::ensureInstance<Form1>(); }
    Form2& display() { return platform::ensureInstance<Form2>(); }

    void simulate() { click(control().Command1); }

    // Runs action at every dispatch point of a run, with the number of the dispatch (from 1).
    void atEveryStep(std::function<void(int)> action = {}) { onDispatch(std::move(action)); }

    QRgb at(int x, int y) const {
        return platform::ensureInstance<Form2>().picture().pixel(x, y) & 0xffffffu;
    }
    QRgb background() const {
        return platform::toRgb(platform::ensureInstance<Form2>().backgroundColour()) & 0xffffffu;
    }

    // A run's dispatches are its steps.
    int& steps = dispatches;
    std::vector<QString> messages;
};

inline QRgb rgb(int r, int g, int b) {
    return qRgb(r, g, b) & 0xffffffu;
}

} // namespace kelvane::testing
