#pragma once

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>

#include <gtest/gtest.h>

// How much of a control's width a text needs and has, measured here from the style and the
// control's font rather than taken from the platform, so that a wrong room there cannot pass.
namespace fit {

// A line edit draws its text inside the style's contents rectangle, less its text margins and a
// further two pixels on either side.
inline int lineEditRoom(const QLineEdit& box) {
    QStyleOptionFrame option;
    option.initFrom(&box);
    option.rect = box.rect();
    option.lineWidth = box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &box);
    const QRect contents = box.style()->subElementRect(QStyle::SE_LineEditContents, &option, &box);
    return contents.marginsRemoved(box.textMargins()).width() - 4;
}

inline int width(const QWidget& control, const QString& text) {
    return QFontMetrics(control.font()).horizontalAdvance(text);
}

// Every caption of a window's labels and buttons reads in full.
inline void expectCaptionsFit(const QWidget& window) {
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        EXPECT_LE(width(*label, label->text()), label->contentsRect().width())
            << label->objectName().toStdString();
        EXPECT_LE(QFontMetrics(label->font()).height(), label->contentsRect().height())
            << label->objectName().toStdString();
    }
    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(button);
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
        const int frame =
            button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
        EXPECT_LE(width(*button, button->text()) + 2 * (margin + frame), button->width())
            << button->text().toStdString();
    }
}

} // namespace fit
