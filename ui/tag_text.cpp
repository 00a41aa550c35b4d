#include "ui/tag_text.h"

#include <QFile>

#include "tag/cp936.h"
#include "tag/field_text.h"
#include "tag/file_name.h"
#include "tag/id3v2_file.h"
#include "tag/tag_file.h"
#include "tag/utf8.h"
#include "ui/file_error_text.h"

namespace sonatag::ui {

std::string FileSystemPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
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

namespace {

QString Utf8Text(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// A frame as players show it, with its GBK reading where it looks like mislabelled GBK.
QString FrameText(const Id3v2Field& field) {
    if (!field.present) return QStringLiteral("无");
    if (field.asGbk.empty()) return Utf8Text(field.text);
    return QStringLiteral("%1（疑似 GBK 乱码，应为：%2）").arg(Utf8Text(field.text), Utf8Text(field.asGbk));
}

}  // namespace

QString Visible(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (IsHiddenControl(c.unicode())) {
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    return shown;
}

QString TagToolTip(const QString& path) {
    BothTags tags;
    try {
        tags = ReadBothTags(FileSystemPath(path));
    } catch (const FileError& error) {
        return *FileErrorText(error);
    }
    const QString none = QStringLiteral("无");
    const bool found = tags.id3v1.outcome == ReadOutcome::Found;
    const QString id3v1 = tags.id3v1.outcome == ReadOutcome::TooShort
                              ? QStringLiteral("文件不足 %1 字节，放不下 ID3 信息。").arg(sizeof(Id3v1Tag))
                              : QStringLiteral("标题：%1\n艺术家：%2\n专辑：%3")
                                    .arg(found ? FromTagText(tags.id3v1.fields.title) : none,
                                         found ? FromTagText(tags.id3v1.fields.artist) : none,
                                         found ? FromTagText(tags.id3v1.fields.album) : none);
    if (!tags.id3v2) return id3v1;
    const Id3v2Fields& v2 = *tags.id3v2;
    return QStringLiteral("ID3v1 标签：\n%1\n\nID3v2.%2 标签（播放器显示这一个）：\n标题：%3\n艺术家：%4\n专辑：%5")
        .arg(id3v1, QString::number(v2.version), FrameText(v2.title), FrameText(v2.artist), FrameText(v2.album));
}

}  // namespace sonatag::ui
