#include "ui/file_error_text.h"

#include <QFile>
#include <cerrno>

#include "tag/tag_file.h"
#include "ui/tag_text.h"

namespace sonatag::ui {
namespace {

QString Reason(int error) {
    switch (error) {
        case EWOULDBLOCK:
            return QStringLiteral("文件正被其他程序使用");
        case EACCES:
        case EPERM:
            return QStringLiteral("没有访问权限");
        case EROFS:
            return QStringLiteral("文件所在的文件系统是只读的");
        case ENOSPC:
        case EDQUOT:
            return QStringLiteral("磁盘已满");
        case EISDIR:
        case ENODEV:
            return QStringLiteral("不是普通文件");
        case ENOENT:
            return QStringLiteral("文件不存在");
        case EIO:
            return QStringLiteral("读写设备出错");
        default:
            return qt_error_string(error);
    }
}

}  // namespace

std::optional<QString> FileErrorText(const std::exception& error) {
    const auto* fileError = dynamic_cast<const FileError*>(&error);
    if (fileError == nullptr) return std::nullopt;
    const QString path = QFile::decodeName(QByteArray::fromStdString(fileError->path()));
    return QStringLiteral("读写文件 \"%1\" 时出错：%2").arg(Visible(path), Reason(fileError->error()));
}

}  // namespace sonatag::ui
