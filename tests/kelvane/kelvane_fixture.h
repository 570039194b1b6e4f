#pragma once

#include "kelvane/engine/module1.h"
#include "kelvane/forms/form1.h"
#include "kelvane/forms/form2.h"
#include "platform/core/clock.h"
#include "platform/forms/runtime.h"

#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace kelvane::testing {

// A fresh program start for every test: new windows, engine state at zero, the random sequence
// from its beginning, a fake clock so that a paced run takes no time, and reports captured.
class KelvaneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::resetProgram();
        Module1::reset();
        platform::setClock(&clock);
        platform::setErrorReporter(
            [this](const platform::RuntimeError& error) { errors.push_back(error.kind()); });
        Module1::setNotifier([this](const QString& message) { messages.push_back(message); });
        control().show();
    }

    void TearDown() override {
        platform::setDispatchHook(nullptr);
        platform::setErrorReporter(nullptr);
        Module1::setNotifier(nullptr);
        platform::setClock(nullptr);
        platform::resetProgram();
        Module1::reset();
    }

    Form1& control() { return platform::ensureInstance<Form1>(); }
    Form2& display() { return platform::ensureInstance<Form2>(); }

    static void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    void simulate() { click(control().Command1); }

    // Runs action at every dispatch point of a run, with the number of the dispatch (from 1).
    void atEveryStep(std::function<void(int)> action = {}) {
        platform::setDispatchHook([this, action = std::move(action)] {
            ++steps;
            if (action)
                action(steps);
        });
    }

    QRgb at(int x, int y) const {
        return platform::ensureInstance<Form2>().picture().pixel(x, y) & 0xffffffu;
    }
    QRgb background() const {
        return platform::toRgb(platform::ensureInstance<Form2>().backgroundColour()) & 0xffffffu;
    }

    platform::FakeClock clock;
    int steps = 0;
    std::vector<platform::ErrorKind> errors;
    std::vector<QString> messages;
};

inline QRgb rgb(int r, int g, int b) {
    return qRgb(r, g, b) & 0xffffffu;
}

} // namespace kelvane::testing
