#include "kelvane/forms/form1.h"

#include "kelvane/forms/form2.h"
#include "platform/core/numeric.h"
#include "platform/core/text.h"
#include "platform/forms/runtime.h"

#include <QEvent>

#include <cmath>
#include <limits>

namespace kelvane {
namespace {

using platform::ErrorKind;

// The bound the words give. Below it every distance and age of a run stays finite, whatever the
// display window's size: the largest products a run forms are the factor times the radius, at
// most half the window's height, and the factor times the age, at most 15.
constexpr double safeFactor = 1e300;
static_assert(safeFactor * QWIDGETSIZE_MAX < std::numeric_limits<double>::max());

// One toggle serves both Yes/No boxes: exactly "Yes" turns into "No", anything else into "Yes".
void toggle(platform::TextBox& box) {
    const bool yes = platform::compareText(box.text(), u"Yes");
    box.setText(yes ? QStringLiteral("No") : QStringLiteral("Yes"));
}

// What a screen reader says of a toggle: its value as a toggle sees it, and how to flip it.
QString toggleDescription(const QString& text) {
    if (platform::compareText(text, u"Yes") || platform::compareText(text, u"No"))
        return text + QStringLiteral(". A click or Enter switches between Yes and No.");
    return QStringLiteral("Neither Yes nor No. A click or Enter makes it Yes.");
}

// The legend's digits stay readable on whatever colour a run gives their swatch: each takes black
// or white, whichever stands out more from the swatch's own BackColor.
class ReadableDigit : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::PaletteChange)
            if (auto* label = qobject_cast<QLabel*>(watched))
                contrast(*label);
        return false;
    }

  private:
    static double linear(int component) {
        const double c = component / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }

    static void contrast(QLabel& label) {
        QPalette palette = label.palette();
        const QColor back = palette.color(label.backgroundRole());
        const double luminance = 0.2126 * linear(back.red()) + 0.7152 * linear(back.green()) +
                                 0.0722 * linear(back.blue());
        // Equal contrast against black and white lies at this luminance.
        const QColor digit = luminance > 0.179 ? Qt::black : Qt::white;
        // Setting the colour is itself a palette change: only a different colour is set.
        if (palette.color(label.foregroundRole()) == digit)
            return;
        palette.setColor(label.foregroundRole(), digit);
        label.setPalette(palette);
    }
};

} // namespace

Form1::Form1() : Form(QStringLiteral("Control"), 4680, 3090) {
    // Created in tab order, which is also the keyboard's focus order.
    Command1 = addButton("Command1", QStringLiteral("Simulate"), 240, 120, 1335, 495);
    Label1 = addLabel("Label1", QStringLiteral("Exp Factor"), 240, 960, 1095, 255);
    Tnc = addTextBox("Tnc", QStringLiteral("1"), QStringLiteral("Exp Factor"), 1800, 840, 735, 375);
    Tage = addTextBox("Tage", QStringLiteral("0"), QStringLiteral("Age"), 1800, 2280, 735, 375);
    Label2 = addLabel("Label2", QStringLiteral("Age"), 240, 2400, 1095, 255);
    Command2 = addButton("Command2", QStringLiteral("End"), 1800, 120, 975, 495);
    auto* digitContrast = new ReadableDigit(this);
    for (int i = 0; i <= 15; ++i) {
        const QByteArray name = QStringLiteral("Label3(%1)").arg(i).toLatin1();
        const double left = i < 8 ? 3480 : 4080;
        const double top = 120 + 240 * (i % 8);
        QLabel* swatch = addLabel(name.constData(), QString::number(i), left, top, 255, 255);
        swatch->installEventFilter(digitContrast);
        // The digit alone would say nothing to a listener.
        swatch->setAccessibleName(QStringLiteral("Colour of age step %1").arg(i));
        Label3.append(swatch);
    }
    TRandom = addTextBox("TRandom", QStringLiteral("Yes"), QStringLiteral("Random"), 1800, 1320,
                         735, 375);
    Label4 = addLabel("Label4", QStringLiteral("Random"), 240, 1440, 1095, 255);
    TDynamic = addTextBox("TDynamic", QStringLiteral("Yes"), QStringLiteral("Dynamic"), 1800, 1800,
                          735, 375);
    Label5 = addLabel("Label5", QStringLiteral("Dynamic"), 240, 1920, 1095, 255);

    Label1->setBuddy(Tnc);
    Label2->setBuddy(Tage);
    Label4->setBuddy(TRandom);
    Label5->setBuddy(TDynamic);
    for (platform::TextBox* toggleBox : {TRandom, TDynamic}) {
        toggleBox->setDescription(toggleDescription(toggleBox->text()));
        connect(toggleBox, &QLineEdit::textChanged, toggleBox, [toggleBox](const QString& text) {
            toggleBox->setDescription(toggleDescription(text));
        });
    }

    platform::connectHandler(Command1, &QPushButton::clicked, [this] { Command1_Click(); });
    platform::connectHandler(Command2, &QPushButton::clicked, [this] { Command2_Click(); });
    platform::connectHandler(TDynamic, &platform::TextBox::clicked, [this] { TDynamic_Click(); });
    platform::connectHandler(TRandom, &platform::TextBox::clicked, [this] { TRandom_Click(); });
    // Enter in a toggle is its click for the keyboard.
    platform::connectHandler(TDynamic, &QLineEdit::returnPressed, [this] { TDynamic_Click(); });
    platform::connectHandler(TRandom, &QLineEdit::returnPressed, [this] { TRandom_Click(); });

    setEndsProgramWhenClosed(true);
}

void Form1::Command1_Click() {
    Form2& display = platform::ensureInstance<Form2>();
    display.show();
    // Level with this window and a fixed 5000 twips to the right of its left edge, just past it at
    // its design width; where that would leave part of the display off the screen this window is
    // on, the display moves left and up just as far as it must to be seen whole.
    const QRectF screen = availableTwips();
    display.setTopTwips(platform::keptWithin(topTwips(), display.heightTwips(),
                                             static_cast<float>(screen.top()),
                                             static_cast<float>(screen.bottom())));
    const auto left = static_cast<float>(platform::checkFloat(leftTwips() + 5000.0));
    display.setLeftTwips(platform::keptWithin(left, display.widthTwips(),
                                              static_cast<float>(screen.left()),
                                              static_cast<float>(screen.right())));
    Module1::RunExpansion({*this, display, platform::activeClock(), platform::dispatchEvents,
                           platform::reportWarning});
}

void Form1::Command2_Click() {
    platform::endProgram();
}

void Form1::TDynamic_Click() {
    toggle(*TDynamic);
}

void Form1::TRandom_Click() {
    toggle(*TRandom);
}

QString errorWords(const platform::RuntimeError& error) {
    // The expansion factor is the one number the animation reads from a text: an error caused by
    // a typed text came from it.
    const QString typed = platform::quoteTyped(error.cause().typed);
    const bool fromFactor = !error.cause().input.isEmpty();
    switch (error.kind()) {
    case ErrorKind::Overflow:
        if (!fromFactor)
            return {};
        return QStringLiteral("The expansion factor you typed, %1, is too large to read as a "
                              "number. Type a factor greater than 0 and below 1e300.")
            .arg(typed);
    case ErrorKind::FloatFault:
        if (!fromFactor)
            return {};
        return QStringLiteral("The expansion factor you typed, %1, is too large: the distances of "
                              "the animation grew past the largest number the computer can hold. "
                              "Type a factor below 1e300.")
            .arg(typed);
    case ErrorKind::OutOfMemory:
        // The picture of the display window is the one large thing the program keeps.
        if (!platform::hasInstance<Form2>())
            return {};
        return QStringLiteral("There is not enough memory to draw the display window at its size "
                              "of %1 \u00d7 %2 pixels. Make the display window smaller before "
                              "you press Simulate.")
            .arg(platform::ensureInstance<Form2>().width())
            .arg(platform::ensureInstance<Form2>().height());
    case ErrorKind::OutOfStackSpace:
        // A run nests a few calls only: only runs started inside runs go this deep.
        return QStringLiteral("Simulate was pressed during an animation so many times that the "
                              "animations, each waiting inside the one before, need more room "
                              "than the program has. Let an animation finish before you press "
                              "Simulate again.");
    default:
        return {};
    }
}

} // namespace kelvane
