#include "platform/forms/form.h"

#include "platform/forms/frame_extents.h"
#include "platform/forms/qt_colour.h"
#include "platform/forms/runtime.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <utility>

namespace platform {
namespace {

constexpr int lineEditSideMargin = 2;

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

// A screen reader announces a window by its role: every form is one, not a mere grouping.
QAccessibleInterface* formInterface(const QString&, QObject* object) {
    auto* form = qobject_cast<Form*>(object);
    if (!form || !form->isWindow())
        return nullptr;
    return new QAccessibleWidget(form, QAccessible::Window);
}

// The font of every form and its controls. The layouts are drawn in twips for a narrow face: at
// the platform's default font a ten-digit number does not fit a 975-twip box.
QFont formFont() {
    // Liberation Sans Narrow comes with fonts-liberation, which set-up installs. Where it is
    // missing, DejaVu Sans Condensed, a little wider, fits the same texts a size smaller.
    const bool narrow =
        QFontDatabase::families().contains(QStringLiteral("Liberation Sans Narrow"));
    QFont font(narrow ? QStringLiteral("Liberation Sans Narrow")
                      : QStringLiteral("DejaVu Sans Condensed"));
    font.setPointSizeF(narrow ? 9.0 : 7.0);
    return font;
}

} // namespace

TextBox::TextBox(const QString& text, QWidget* parent) : QLineEdit(parent) {
    // One character of room past the limit: the line edit cuts a longer insertion there, and so
    // shows that it went beyond.
    setMaxLength(mostCharacters + 1);
    setText(text);
    connect(this, &QLineEdit::textEdited, this, &TextBox::refuseOverlong);
}

void TextBox::refuseOverlong() {
    if (text().size() > mostCharacters)
        undo();
}

QRect TextBox::contents(QStyleOptionFrame& option) const {
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_LineEditContents, &option, this) - textMargins();
}

void TextBox::paintEvent(QPaintEvent* event) {
    if (hasFocus() || echoMode() != Normal || showsWhole(text())) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame option;
    const QRect contents = this->contents(option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    painter.setClipRect(contents);
    // Where the line edit itself puts its first line: centred, two pixels in from the side.
    const QFontMetrics metrics = fontMetrics();
    const int lineHeight = std::max(metrics.boundingRect(text()).height(), metrics.height());
    const int top = contents.y() + (contents.height() - lineHeight + 1) / 2;
    painter.setPen(
        option.palette.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(QPoint(contents.x() + lineEditSideMargin, top + metrics.ascent()),
                     metrics.elidedText(text(), Qt::ElideRight, textRoom()));
}

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

int TextBox::textRoom() const {
    QStyleOptionFrame option;
    // The line edit keeps a further two pixels free on either side of its text.
    return contents(option).width() - 2 * lineEditSideMargin;
}

bool TextBox::showsWhole(const QString& text) const {
    return fontMetrics().horizontalAdvance(text) <= textRoom();
}

void TextBox::setDescription(const QString& description) {
    description_ = description;
    offerWholeText();
}

void TextBox::offerWholeText() {
    const QString whole = showsWhole(text()) ? QString() : text();
    setToolTip(whole);
    const bool both = !description_.isEmpty() && !whole.isEmpty();
    setAccessibleDescription(both ? description_ + QLatin1Char(' ') + whole : description_ + whole);
}

Form::Form(const QString& caption, double clientWidthTwips, double clientHeightTwips) {
    [[maybe_unused]] static const bool asWindows =
        (QAccessible::installFactory(formInterface), true);
    setFont(formFont());
    setWindowTitle(caption);
    setAccessibleName(caption);
    resize(toPixels(clientWidthTwips, twipsPerPixelX()),
           toPixels(clientHeightTwips, twipsPerPixelY()));
}

QMargins Form::frameMargins() const {
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const QMargins known(client.left() - frame.left(), client.top() - frame.top(),
                         frame.right() - client.right(), frame.bottom() - client.bottom());
    // Margins no frame could have are left out rather than carried into screen arithmetic.
    if (!(isFrameSide(known.left()) && isFrameSide(known.top()) && isFrameSide(known.right()) &&
          isFrameSide(known.bottom())))
        return QMargins();
    // Right after show() the toolkit has not yet heard of the frame the window manager is about
    // to put around the window; placing the client area as if there were none would put the
    // frame a title bar too high.
    if (!known.isNull() || !isVisible())
        return known;
    const std::optional<QMargins> announced = announcedFrameExtents(*this);
    if (!announced)
        return known;
    // The manager speaks in pixels of the screen; under a scale factor the toolkit's pixels are
    // larger, and it rounds the frame it learns of to them just so.
    return (QMarginsF(*announced) / devicePixelRatioF()).toMargins();
}

float Form::leftTwips() const {
    return static_cast<float>((geometry().left() - frameMargins().left()) * twipsPerPixelX());
}
float Form::topTwips() const {
    return static_cast<float>((geometry().top() - frameMargins().top()) * twipsPerPixelY());
}
float Form::widthTwips() const {
    return static_cast<float>((size().grownBy(frameMargins())).width() * twipsPerPixelX());
}
float Form::heightTwips() const {
    return static_cast<float>((size().grownBy(frameMargins())).height() * twipsPerPixelY());
}

// The margins first: asking the window manager for them may take a moment.
void Form::setLeftTwips(float twips) {
    const int left = toPixels(twips, twipsPerPixelX()) + frameMargins().left();
    setGeometry(QRect(QPoint(left, geometry().top()), size()));
}

void Form::setTopTwips(float twips) {
    const int top = toPixels(twips, twipsPerPixelY()) + frameMargins().top();
    setGeometry(QRect(QPoint(geometry().left(), top), size()));
}

QRectF Form::availableTwips() const {
    return QTransform::fromScale(twipsPerPixelX(), twipsPerPixelY())
        .mapRect(QRectF(screen()->availableGeometry()));
}

float keptWithin(float start, float extent, float areaStart, float areaEnd) {
    return std::max(std::min(start, areaEnd - extent), areaStart);
}

void Form::setScaleMode(std::int16_t mode) {
    checkObjectCall(mode == Twips || mode == Pixels,
                    QStringLiteral("Scale mode %1 is not supported.").arg(mode));
    scaleMode_ = mode;
}

void Form::place(QWidget* control, const char* name, const QString& accessibleName, double left,
                 double top, double width, double height) {
    const double tx = twipsPerPixelX();
    const double ty = twipsPerPixelY();
    control->setObjectName(QString::fromLatin1(name));
    control->setAccessibleName(accessibleName);
    control->setGeometry(toPixels(left, tx), toPixels(top, ty), toPixels(width, tx),
                         toPixels(height, ty));
}

QPushButton* Form::addButton(const char* name, const QString& caption, double left, double top,
                             double width, double height) {
    auto* button = new Button(caption, this);
    button->setAutoDefault(false);
    place(button, name, caption, left, top, width, height);
    return button;
}

TextBox* Form::addTextBox(const char* name, const QString& text, const QString& accessibleName,
                          double left, double top, double width, double height) {
    auto* box = new TextBox(text, this);
    place(box, name, accessibleName, left, top, width, height);
    connect(box, &QLineEdit::textChanged, box, &TextBox::offerWholeText);
    box->offerWholeText();
    return box;
}

QLabel* Form::addLabel(const char* name, const QString& caption, double left, double top,
                       double width, double height) {
    auto* label = new QLabel(caption, this);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(label, name, caption, left, top, width, height);
    return label;
}

void Form::closeEvent(QCloseEvent* event) {
    event->accept();
    if (endsProgram_)
        requestEnd(0);
}

void setBackColor(QWidget* widget, Colour colour) {
    QPalette palette = widget->palette();
    palette.setColor(widget->backgroundRole(), QColor(toRgb(colour)));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

Colour backColor(const QWidget* widget) {
    return fromQColor(widget->palette().color(widget->backgroundRole()));
}

} // namespace platform
