#include "tests/support/program_test.h"

#include "platform/forms/runtime.h"

#include <QTest>

namespace platform::testing {

void ProgramTest::SetUp() {
    resetProgram();
    errors.clear();
    setClock(&clock);
    setErrorReporter([this](const RuntimeError& error) { errors.push_back(error.kind()); });
}

void ProgramTest::TearDown() {
    setDispatchHook(nullptr);
    setErrorReporter(nullptr);
    setClock(nullptr);
    resetProgram();
}

void ProgramTest::click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

void ProgramTest::onDispatch(std::function<void(int)> action) {
    setDispatchHook([this, action = std::move(action)] {
        ++dispatches;
        if (action)
            action(dispatches);
    });
}

} // namespace platform::testing
