#pragma once

#include "platform/core/colour.h"
#include "platform/core/errors.h"
#include "platform/core/scale_mode.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <cstdint>
#include <vector>

class QStyleOptionFrame;

namespace platform {

// A single-line text box that also reports a click: a mouse button released over it, including
// the click that places the caret. A double click is one click, then a double click: its second
// release is not another click.
class TextBox : public QLineEdit {
    Q_OBJECT

  public:
    // The most characters a box holds: far more than any number a person means, few enough that
    // the box stays quick. A paste or an edit that would go beyond it is refused whole.
    static constexpr int mostCharacters = 1 << 20;

    explicit TextBox(const QString& text = {}, QWidget* parent = nullptr);

    // A text written by the program can be wider than its box: show its beginning, where the
    // sign and the leading digits are, not its tail.
    void setText(const QString& text) {
        QLineEdit::setText(text);
        setCursorPosition(0);
    }

    // The room a text has between the box's inner margins, and whether it fits there whole.
    int textRoom() const;
    bool showsWhole(const QString& text) const;
    // What a screen reader says about the box besides its name and text. The whole-text offer
    // adds to it and never takes its place.
    void setDescription(const QString& description);
    // A text too wide for the box is never lost: it is the tooltip and follows the description.
    // Called whenever the text changes.
    void offerWholeText();

  signals:
    void clicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // A text cut at the box's edge could read as another, shorter number: while the box is not
    // being edited, a text too wide for it ends in an ellipsis where it is cut.
    void paintEvent(QPaintEvent* event) override;

  private:
    void refuseOverlong();
    // Where the line edit lays out its text, with the style's option for it.
    QRect contents(QStyleOptionFrame& option) const;

    bool endsDoubleClick_ = false;
    QString description_;
};

// Members told apart by an index, as a legend of swatches or a pair of result boxes are.
template <class Control> class ControlArray {
  public:
    void append(Control* control) { members_.push_back(control); }
    int size() const { return static_cast<int>(members_.size()); }

    Control& operator()(int index) const {
        checkObjectCall(index >= 0 && index < size(),
                        QStringLiteral("Control array element %1 does not exist.").arg(index));
        return *members_[static_cast<std::size_t>(index)];
    }

  private:
    std::vector<Control*> members_;
};

// A top-level window laid out in twips. Its own position and outer size are in twips of the
// screen; its controls are placed in twips of its client area.
class Form : public QWidget {
    Q_OBJECT

  public:
    Form(const QString& caption, double clientWidthTwips, double clientHeightTwips);

    double twipsPerPixelX() const { return twipsPerInch / logicalDpiX(); }
    double twipsPerPixelY() const { return twipsPerInch / logicalDpiY(); }

    // The outer frame, title bar and borders included.
    float leftTwips() const;
    float topTwips() const;
    float widthTwips() const;
    float heightTwips() const;
    void setLeftTwips(float twips);
    void setTopTwips(float twips);
    // The part of this window's screen that windows may take, panels left out, in twips.
    QRectF availableTwips() const;

    std::int16_t scaleMode() const { return scaleMode_; }
    void setScaleMode(std::int16_t mode);
    // The client area in scale units.
    float scaleWidth() const {
        return static_cast<float>(scaleMode_ == Pixels ? width() : width() * twipsPerPixelX());
    }
    float scaleHeight() const {
        return static_cast<float>(scaleMode_ == Pixels ? height() : height() * twipsPerPixelY());
    }

    // The start-up window ends the program when its frame's close button is used.
    void setEndsProgramWhenClosed(bool ends) { endsProgram_ = ends; }

  protected:
    QPushButton* addButton(const char* name, const QString& caption, double left, double top,
                           double width, double height);
    TextBox* addTextBox(const char* name, const QString& text, const QString& accessibleName,
                        double left, double top, double width, double height);
    QLabel* addLabel(const char* name, const QString& caption, double left, double top,
                     double width, double height);

    void closeEvent(QCloseEvent* event) override;

  private:
    static constexpr double twipsPerInch = 1440.0;

    // Where the frame lies around the client area, known or announced by the window manager.
    QMargins frameMargins() const;
    void place(QWidget* control, const char* name, const QString& accessibleName, double left,
               double top, double width, double height);

    std::int16_t scaleMode_ = Twips;
    bool endsProgram_ = false;
};

// Where a frame that starts at `start` and is `extent` long along one axis lies wholly between
// `areaStart` and `areaEnd`: moved back just as far as it must be, and to `areaStart` where it is
// longer than the area, so that its title bar stays within reach.
float keptWithin(float start, float extent, float areaStart, float areaEnd);

// Background colour of a control or window, as the programs set and read it.
void setBackColor(QWidget* widget, Colour colour);
Colour backColor(const QWidget* widget);

} // namespace platform
