#include "form.h"

#include "runtime.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace platform {
namespace {

constexpr double twipsPerInch = 1440.0;

// Screen coordinates far beyond any screen still have to fit an int.
int toPixels(double twips, double twipsPerPixel) {
    return static_cast<int>(std::clamp(std::round(twips / twipsPerPixel), -1.0e6, 1.0e6));
}

// A keyboard user presses the focused button with Enter as with Space. Being no dialog's default
// button, it takes Enter only while it has the focus: Enter in a text box still presses nothing.
class Button : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (!event->isAutoRepeat())
                click();
            event->accept();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

} // namespace

void TextBox::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        endsDoubleClick_ = true;
}

void TextBox::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const bool secondOfDouble = std::exchange(endsDoubleClick_, false);
    if (!secondOfDouble && rect().contains(event->position().toPoint()))
        emit clicked();
}

Form::Form(const QString& caption, double clientWidthTwips, double clientHeightTwips) {
    setWindowTitle(caption);
    setAccessibleName(caption);
    resize(toPixels(clientWidthTwips, twipsPerPixelX()),
           toPixels(clientHeightTwips, twipsPerPixelY()));
}

double Form::twipsPerPixelX() const {
    return twipsPerInch / logicalDpiX();
}
double Form::twipsPerPixelY() const {
    return twipsPerInch / logicalDpiY();
}

float Form::leftTwips() const {
    return static_cast<float>(frameGeometry().x() * twipsPerPixelX());
}
float Form::topTwips() const {
    return static_cast<float>(frameGeometry().y() * twipsPerPixelY());
}
float Form::widthTwips() const {
    return static_cast<float>(frameGeometry().width() * twipsPerPixelX());
}
float Form::heightTwips() const {
    return static_cast<float>(frameGeometry().height() * twipsPerPixelY());
}

void Form::setLeftTwips(float twips) {
    move(toPixels(twips, twipsPerPixelX()), frameGeometry().y());
}

void Form::setTopTwips(float twips) {
    move(frameGeometry().x(), toPixels(twips, twipsPerPixelY()));
}

void Form::setScaleMode(std::int16_t mode) {
    checkObjectCall(mode == Twips || mode == Pixels,
                    QStringLiteral("Scale mode %1 is not supported.").arg(mode));
    scaleMode_ = mode;
}

float Form::scaleWidth() const {
    return static_cast<float>(scaleMode_ == Pixels ? width() : width() * twipsPerPixelX());
}

float Form::scaleHeight() const {
    return static_cast<float>(scaleMode_ == Pixels ? height() : height() * twipsPerPixelY());
}

QRect Form::pixelRect(double left, double top, double width, double height) const {
    const double tx = twipsPerPixelX();
    const double ty = twipsPerPixelY();
    return QRect(toPixels(left, tx), toPixels(top, ty), toPixels(width, tx), toPixels(height, ty));
}

void Form::place(QWidget* control, const char* name, double left, double top, double width,
                 double height) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(pixelRect(left, top, width, height));
}

QPushButton* Form::addButton(const char* name, const QString& caption, double left, double top,
                             double width, double height) {
    auto* button = new Button(caption, this);
    button->setAutoDefault(false);
    button->setAccessibleName(caption);
    place(button, name, left, top, width, height);
    return button;
}

TextBox* Form::addTextBox(const char* name, const QString& text, const QString& accessibleName,
                          double left, double top, double width, double height) {
    auto* box = new TextBox(text, this);
    box->setAccessibleName(accessibleName);
    box->setCursorPosition(0);
    place(box, name, left, top, width, height);
    return box;
}

QLabel* Form::addLabel(const char* name, const QString& caption, double left, double top,
                       double width, double height) {
    auto* label = new QLabel(caption, this);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAccessibleName(caption);
    place(label, name, left, top, width, height);
    return label;
}

void Form::closeEvent(QCloseEvent* event) {
    event->accept();
    if (endsProgram_)
        requestEnd(0);
}

void setBackColor(QWidget* widget, Colour colour) {
    QPalette palette = widget->palette();
    palette.setColor(widget->backgroundRole(), toQColor(colour));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

Colour backColor(const QWidget* widget) {
    return fromQColor(widget->palette().color(widget->backgroundRole()));
}

} // namespace platform
