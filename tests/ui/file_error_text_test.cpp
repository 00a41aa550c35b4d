#include "ui/file_error_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <stdexcept>

#include "tag/tag_file.h"

namespace {

using sonatag::FileError;
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
        EXPECT_EQ(FileErrorText(FileError("/歌/bad\xff <b>.mp3", error, "x")),
                  QStringLiteral("读写文件 \"/歌/bad\uFFFD <b>.mp3\" 时出错：") + reason);
    }
    EXPECT_FALSE(FileErrorText(std::runtime_error("not a file error")).has_value());
}

}  // namespace
