#include "form.h"

#include <QAccessible>
#include <QTest>

#include <gtest/gtest.h>

using namespace platform;

namespace {

class BoxForm : public Form {
  public:
    BoxForm() : Form(QStringLiteral("Boxes"), 3000, 2000) {
        box = addTextBox("Text1", QStringLiteral("1"), QStringLiteral("Value"), 120, 120, 975, 375);
    }
    TextBox* box;
};

TEST(FormAccessibility, EveryFormIsAWindowNamedByItsCaption) {
    BoxForm form;
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&form);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), QStringLiteral("Boxes"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.box)->role(), QAccessible::EditableText);
}

TEST(FormAccessibility, ADescriptionSetOnPurposeOutlivesEveryText) {
    BoxForm form;
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

} // namespace
