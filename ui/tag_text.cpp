#include "ui/tag_text.h"

#include <QFile>

#include "tag/cp936.h"
#include "tag/file_name.h"
#include "tag/tag_file.h"

namespace sonatag::ui {

std::string FileSystemPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::string ToTagText(const QString& text) {
    return Utf8ToCp936(text.toStdString()).bytes;
}

QString FromTagText(const std::string& bytes) {
    return QString::fromStdString(Cp936ToUtf8(bytes));
}

QString FileName(const QString& path, int nMode) {
    return QString::fromStdString(GetFileName(path.toStdString(), nMode));
}

QString TrimWhiteSpace(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const std::string_view trimmed = sonatag::TrimWhiteSpace(std::string_view(utf8.constData(), utf8.size()));
    return QString::fromUtf8(trimmed.data(), static_cast<qsizetype>(trimmed.size()));
}

QString TagToolTip(const QString& path) {
    TagReadResult tag;
    try {
        tag = ReadTagFields(FileSystemPath(path));
    } catch (const FileError& error) {
        return QStringLiteral("读写文件 \"%1\" 时出错：%2").arg(path, qt_error_string(error.error()));
    }
    const QString none = QStringLiteral("无");
    const bool found = tag.outcome == ReadOutcome::Found;
    return QStringLiteral("标题：%1\n艺术家：%2\n专辑：%3")
        .arg(found ? FromTagText(tag.fields.title) : none, found ? FromTagText(tag.fields.artist) : none,
             found ? FromTagText(tag.fields.album) : none);
}

}  // namespace sonatag::ui
