#pragma once

#include "platform/forms/form.h"
#include "platform/forms/runtime.h"

#include <QPushButton>

#include <functional>

namespace platform::testing {

// A start-up window with a button whose handler the test chooses.
class TestForm : public Form {
  public:
    TestForm() : Form(QStringLiteral("Test"), 3000, 2000) {
        button = addButton("Command1", QStringLiteral("Go"), 120, 120, 1200, 400);
        box =
            addTextBox("Text1", QStringLiteral("x"), QStringLiteral("Value"), 120, 700, 1200, 375);
        connectHandler(button, &QPushButton::clicked, [this] { onGo(); });
        setEndsProgramWhenClosed(true);
    }
    std::function<void()> onGo = [] {};
    QPushButton* button;
    TextBox* box;
};

} // namespace platform::testing
