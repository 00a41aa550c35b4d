// The edits' 30-byte limit and the error box's text.

#include "tag/tag_file.h"
#include "ui/cp936_limit_validator.h"
#include "ui/file_error_text.h"

#include <cerrno>
#include <stdexcept>

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QtTest/QTest>

#include "tests/support/widget_testing.h"

namespace sonatag::test {

TEST(Cp936LimitValidatorTest, TypingAndPastingKeepWhatFitsInThirtyBytes) {
    struct Case {
        QString before;  // set by the program, which the limit does not bind
        int cursor;      // -1: at the end
        bool paste;
        QString input, expected;
    };
    const Case cases[] = {
        {"", -1, false, QString(35, u'a'), QString(30, u'a')},
        // 29 bytes leave no room for a two-byte character, but for one more ASCII one.
        {"", -1, false, QString(29, u'a') + u'汉' + u'b', QString(29, u'a') + u'b'},
        {"", -1, false, "ab😀c한", "abc"},  // what code page 936 cannot hold is refused
        // 7 bytes were there; 23 of the pasted characters fit, inserted at the cursor.
        {"标题end", 2, true, QString(40, u'x'), "标题" + QString(23, u'x') + "end"},
        // A two-byte character is never split: the first that does not fit goes, and all after it.
        {QString(28, u'a'), -1, true, "b汉c", QString(28, u'a') + u'b'},
        {QString(20, u'歌'), -1, false, "a", QString(20, u'歌')},  // a longer text cannot grow
    };
    for (const auto& [before, cursor, paste, input, expected] : cases) {
        QLineEdit edit;
        SetLimitText(&edit, 30);
        edit.setText(before);
        if (cursor >= 0) edit.setCursorPosition(cursor);
        if (paste) {
            QApplication::clipboard()->setText(input);
            edit.paste();
        } else {
            TypeText(&edit, input);
        }
        EXPECT_EQ(edit.text(), expected) << input.toStdString();
    }
}

using sonatag::ui::FileErrorText;

TEST(FileErrorTextTest, NamesTheFileAndGivesCommonReasonsInChinese) {
    const std::pair<int, QString> cases[] = {
        {EWOULDBLOCK, QStringLiteral("文件正被其他程序使用")},
        {EACCES, QStringLiteral("没有访问权限")},
        {EROFS, QStringLiteral("文件所在的文件系统是只读的")},
        {ENOSPC, QStringLiteral("磁盘已满")},
        {EISDIR, QStringLiteral("不是普通文件")},
        {ENOENT, QStringLiteral("文件不存在")},
        {EIO, QStringLiteral("读写设备出错")},
        {EFBIG, qt_error_string(EFBIG)},
    };
    for (const auto& [error, reason] : cases) {
        EXPECT_EQ(FileErrorText(FileError("/歌/bad\xff <b>\u202E3pm.exe", error, "x")),
                  QStringLiteral("读写文件 \"/歌/bad\uFFFD <b>\\u202e3pm.exe\" 时出错：") + reason);
    }
    EXPECT_FALSE(FileErrorText(std::runtime_error("not a file error")).has_value());
}

}  // namespace sonatag::test
