#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRect>

#include <gtest/gtest.h>

// Whether a control shows a text whole, read from what it draws rather than worked out from the
// style's margins: a text cut at the control's edge, or shortened there, draws less ink than in a
// control with room to spare.
namespace fit {

// The pixels the text covers where the control draws it: where its picture with the text differs
// from its picture without. The control keeps its own text.
template <class Control> QRect inkOf(Control& control, const QString& text) {
    const QString kept = control.text();
    control.setText(QString());
    const QImage blank = control.grab().toImage();
    control.setText(text);
    const QImage drawn = control.grab().toImage();
    control.setText(kept);
    QRect ink;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (drawn.pixel(x, y) != blank.pixel(x, y))
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// The text draws as much ink in the control as in one three times its size: grown by twice its
// size, a centred text moves by whole pixels and is drawn alike.
template <class Control> bool readsInFull(Control& control, const QString& text) {
    control.clearFocus();
    const QRect here = inkOf(control, text);
    const QSize size = control.size();
    control.resize(size * 3);
    const QRect roomy = inkOf(control, text);
    control.resize(size);
    return !here.isEmpty() && here.size() == roomy.size();
}

// Every caption of a window's labels and buttons reads in full.
inline void expectCaptionsFit(QWidget& window) {
    const auto expectFit = [](auto& control) {
        EXPECT_TRUE(control.text().isEmpty() || readsInFull(control, control.text()))
            << control.text().toStdString();
    };
    for (QLabel* label : window.findChildren<QLabel*>())
        expectFit(*label);
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
        expectFit(*button);
}

} // namespace fit
