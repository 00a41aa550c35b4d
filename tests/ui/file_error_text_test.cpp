#include "ui/file_error_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>

#include "tag/tag_file.h"

namespace {

using sonatag::FileError;
using sonatag::ui::FileErrorText;

TEST(FileErrorTextTest, NamesTheFileAndGivesCommonReasonsInChinese) {
    const struct {
        int error;
        QString reason;
    } cases[] = {
        {EWOULDBLOCK, QStringLiteral("文件正被其他程序使用")},
        {EACCES, QStringLiteral("没有访问权限")},
        {EROFS, QStringLiteral("文件所在的文件系统是只读的")},
        {ENOSPC, QStringLiteral("磁盘已满")},
        {EISDIR, QStringLiteral("不是普通文件")},
        {ENOENT, QStringLiteral("文件不存在")},
        {EIO, QStringLiteral("读写设备出错")},
        {EFBIG, qt_error_string(EFBIG)},
    };
    for (const auto& c : cases) {
        const std::optional<QString> text = FileErrorText(FileError("/歌/bad\xff <b>.mp3", c.error, "x"));
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(*text, QStringLiteral("读写文件 \"/歌/bad\uFFFD <b>.mp3\" 时出错：") + c.reason);
    }
    EXPECT_FALSE(FileErrorText(std::runtime_error("not a file error")).has_value());
    // A name that reorders what follows it is shown with its marks visible.
    EXPECT_EQ(*FileErrorText(FileError("a\u202E3pm.exe\n", ENOENT, "x")),
              QStringLiteral("读写文件 \"a\\u202e3pm.exe\\u000a\" 时出错：文件不存在"));
}

}  // namespace
