#include "ui/cp936_limit_validator.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QtTest/QTest>

#include "tests/app/widget_testing.h"

namespace {

using sonatag::test::TypeText;

class Cp936LimitValidatorTest : public ::testing::Test {
protected:
    Cp936LimitValidatorTest() { SetLimitText(&edit, 30); }

    void Paste(const QString& text) {
        QApplication::clipboard()->setText(text);
        edit.paste();
    }

    QLineEdit edit;
};

TEST_F(Cp936LimitValidatorTest, TypingStopsAtThirtyBytes) {
    TypeText(&edit, QString(35, u'a'));
    EXPECT_EQ(edit.text(), QString(30, u'a'));

    edit.clear();
    TypeText(&edit, QString(20, u'汉'));
    EXPECT_EQ(edit.text(), QString(15, u'汉'));

    // 29 bytes leave no room for a two-byte character, but for one more ASCII one.
    edit.clear();
    TypeText(&edit, QString(29, u'a') + u'汉' + u'b');
    EXPECT_EQ(edit.text(), QString(29, u'a') + u'b');
}

TEST_F(Cp936LimitValidatorTest, RefusesCharactersCodePage936CannotHold) {
    TypeText(&edit, QStringLiteral("ab😀c한"));
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));

    Paste(QStringLiteral("x😀y"));
    EXPECT_EQ(edit.text(), QStringLiteral("abc"));
}

TEST_F(Cp936LimitValidatorTest, PasteKeepsWhatFitsAtTheCursor) {
    TypeText(&edit, QStringLiteral("标题end"));
    edit.setCursorPosition(2);
    Paste(QString(40, u'x'));
    // 7 bytes were there; 23 of the pasted characters fit, inserted at the cursor.
    EXPECT_EQ(edit.text(), QStringLiteral("标题") + QString(23, u'x') + QStringLiteral("end"));
    EXPECT_EQ(edit.cursorPosition(), 25);

    // A two-byte character is never split: the first that does not fit goes, and all after it.
    edit.clear();
    TypeText(&edit, QString(28, u'a'));
    Paste(QStringLiteral("b汉c"));
    EXPECT_EQ(edit.text(), QString(28, u'a') + QStringLiteral("b"));

    // Replacing a selection counts only what is left of the old text.
    edit.selectAll();
    Paste(QString(16, u'字'));
    EXPECT_EQ(edit.text(), QString(15, u'字'));
}

TEST_F(Cp936LimitValidatorTest, TextSetByTheProgramIsNotLimitedButCannotGrow) {
    const QString longTitle = QString(20, u'歌');  // 40 bytes
    edit.setText(longTitle);
    EXPECT_EQ(edit.text(), longTitle);

    TypeText(&edit, QStringLiteral("a"));
    EXPECT_EQ(edit.text(), longTitle);

    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QString(19, u'歌'));

    // A text the program set with a character outside code page 936 can still be edited.
    edit.setText(QStringLiteral("a😀"));
    edit.setCursorPosition(1);
    TypeText(&edit, QStringLiteral("b"));
    EXPECT_EQ(edit.text(), QStringLiteral("ab😀"));
}

}  // namespace
