#include "ui/cp936_limit_validator.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QtTest/QTest>

#include "tests/support/widget_testing.h"

namespace sonatag::test {
namespace {

constexpr int kAtEnd = -1, kAllSelected = -2;

TEST(Cp936LimitValidatorTest, TypingAndPastingKeepWhatFitsInThirtyBytes) {
    struct Case {
        QString before;  // set by the program, which the limit does not bind
        int cursor;
        bool paste;
        QString input;
        QString expected;
    };
    const Case cases[] = {
        {"", kAtEnd, false, QString(35, u'a'), QString(30, u'a')},
        {"", kAtEnd, false, QString(20, u'汉'), QString(15, u'汉')},
        // 29 bytes leave no room for a two-byte character, but for one more ASCII one.
        {"", kAtEnd, false, QString(29, u'a') + u'汉' + u'b', QString(29, u'a') + u'b'},
        {"", kAtEnd, false, "ab😀c한", "abc"},  // what code page 936 cannot hold is refused
        {"abc", kAtEnd, true, "x😀y", "abc"},
        // 7 bytes were there; 23 of the pasted characters fit, inserted at the cursor.
        {"标题end", 2, true, QString(40, u'x'), "标题" + QString(23, u'x') + "end"},
        // A two-byte character is never split: the first that does not fit goes, and all after it.
        {QString(28, u'a'), kAtEnd, true, "b汉c", QString(28, u'a') + u'b'},
        {"abc", kAllSelected, true, QString(16, u'字'), QString(15, u'字')},
        {QString(20, u'歌'), kAtEnd, false, "a", QString(20, u'歌')},  // a longer text cannot grow
        {"a😀", 1, false, "b", "ab😀"},
    };
    for (const Case& c : cases) {
        QLineEdit edit;
        SetLimitText(&edit, 30);
        edit.setText(c.before);
        if (c.cursor == kAllSelected) edit.selectAll();
        if (c.cursor >= 0) edit.setCursorPosition(c.cursor);
        if (c.paste) {
            QApplication::clipboard()->setText(c.input);
            edit.paste();
        } else {
            TypeText(&edit, c.input);
        }
        EXPECT_EQ(edit.text(), c.expected) << c.input.toStdString();
    }
}

TEST(Cp936LimitValidatorTest, ALongerTextSetByTheProgramCanBeShortened) {
    QLineEdit edit;
    SetLimitText(&edit, 30);
    edit.setText(QString(20, u'歌'));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QString(19, u'歌'));
}

}  // namespace
}  // namespace sonatag::test
