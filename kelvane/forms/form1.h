#pragma once

#include "kelvane/engine/module1.h"
#include "platform/forms/form.h"

#include <QLabel>
#include <QPushButton>

namespace kelvane {

// The control window: the run parameters live in its text boxes, which the run reads whenever it
// needs them, so the window keeps no state of its own.
class Form1 : public platform::Form, public Module1::ControlWindow {
    Q_OBJECT

  public:
    Form1();

    QPushButton* Command1;
    QLabel* Label1;
    platform::TextBox* Tnc;
    platform::TextBox* Tage;
    QLabel* Label2;
    QPushButton* Command2;
    platform::ControlArray<QLabel> Label3;
    platform::TextBox* TRandom;
    QLabel* Label4;
    platform::TextBox* TDynamic;
    QLabel* Label5;

    void Command1_Click();
    void Command2_Click();
    void TDynamic_Click();
    void TRandom_Click();

    QString factorText() const override { return Tnc->text(); }
    QString dynamicText() const override { return TDynamic->text(); }
    QString randomText() const override { return TRandom->text(); }
    void setAgeText(const QString& text) override { Tage->setText(text); }
    void setSwatchColour(int index, platform::Colour colour) override {
        platform::setBackColor(&Label3(index), colour);
    }
};

// The animation's words for a run-time error: what went wrong with the expansion factor or the
// display window, and what to do instead. Empty where the windows have nothing to add.
QString errorWords(const platform::RuntimeError& error);

} // namespace kelvane
