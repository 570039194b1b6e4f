#include "platform/forms/form.h"
#include "tests/platform/test_form.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

using namespace platform;
using platform::testing::TestForm;

namespace {

TEST(FormAccessibility, ADescriptionSetOnPurposeOutlivesEveryText) {
    TestForm form;
    const QString wide = QStringLiteral("12345678901234567890");
    struct Row {
        const char* purpose;
        QString text;
        QString description;
    };
    const Row rows[] = {
        {"", QStringLiteral("55"), QString()},
        {"", wide, wide},
        {"Flips.", QStringLiteral("55"), QStringLiteral("Flips.")},
        {"Flips.", wide, QStringLiteral("Flips. ") + wide},
    };
    for (const Row& row : rows) {
        form.box->setDescription(QString::fromLatin1(row.purpose));
        form.box->setText(row.text);
        EXPECT_EQ(form.box->accessibleDescription(), row.description) << row.purpose;
        form.box->setText(QStringLiteral("1"));
        EXPECT_EQ(form.box->accessibleDescription(), QString::fromLatin1(row.purpose));
    }
}

// What the box shows, as a person sees it.
QImage shown(TextBox& box) {
    return box.grab().toImage();
}

TEST(TextBoxShowing, ATextCutAtTheEdgeEndsInAnEllipsisUntilEdited) {
    TestForm form;
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.button->setFocus();
    TextBox& box = *form.box;
    box.resize(65, box.height()); // too narrow for any of these numbers
    for (const char* number : {"12586269025", "7540113804746346429", "-0.000813895123456789"}) {
        const QString whole = QString::fromLatin1(number);
        const QString marked = box.fontMetrics().elidedText(whole, Qt::ElideRight, box.textRoom());
        ASSERT_TRUE(marked.endsWith(QChar(0x2026))) << number;
        box.setText(marked); // a text that fits is shown as the line edit shows it
        const QImage expected = shown(box);
        box.setText(whole);
        EXPECT_EQ(shown(box), expected) << number;
        EXPECT_EQ(box.text(), whole);
        EXPECT_EQ(box.cursorPosition(), 0); // edited, it shows its beginning too

        box.selectAll();
        box.copy();
        EXPECT_EQ(QApplication::clipboard()->text(), whole) << number;

        box.setFocus(); // being edited: the text itself, from where the caret is
        EXPECT_NE(shown(box), expected) << number;
        form.button->setFocus();
    }
}

TEST(TextBoxShowing, APasteIsKeptWholeOrRefusedWhole) {
    TestForm form;
    TextBox& box = *form.box;
    const QString within = QString(100000, u'0') + QStringLiteral("7");
    const QString beyond = QString(TextBox::mostCharacters, u'0') + QStringLiteral("7");
    struct Row {
        QString before;
        QString pasted;
        bool replaceAll;
        QString after;
    };
    const Row rows[] = {
        {QStringLiteral("12"), within, true, within},
        {QStringLiteral("12"), within, false, QStringLiteral("12") + within},
        {QStringLiteral("12"), beyond, true, QStringLiteral("12")},
        {QStringLiteral("12"), beyond.left(TextBox::mostCharacters - 1), false,
         QStringLiteral("12")},
        {QString(), beyond.left(TextBox::mostCharacters), false,
         beyond.left(TextBox::mostCharacters)},
    };
    for (const Row& row : rows) {
        box.setText(row.before);
        if (row.replaceAll)
            box.selectAll();
        else
            box.end(false);
        QApplication::clipboard()->setText(row.pasted);
        box.paste();
        EXPECT_EQ(box.text().size(), row.after.size()) << row.pasted.size();
        EXPECT_TRUE(box.text() == row.after) << row.pasted.size();
    }
}

} // namespace
