#include "ui/tag_text.h"

#include <QFile>

#include "tag/cp936.h"
#include "tag/field_text.h"
#include "tag/file_name.h"
#include "tag/tag_file.h"
#include "ui/file_error_text.h"

namespace sonatag::ui {

std::string FileSystemPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::string ToTagText(const QString& text) {
    return PrepareFieldText(text.toStdString()).bytes;
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

bool IsHidden(char16_t c) {
    const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    const bool reorders =
        c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
    return control || reorders;
}

}  // namespace

QString Visible(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (IsHidden(c.unicode())) {
            shown += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            shown += c;
        }
    }
    return shown;
}

QString TagToolTip(const QString& path) {
    TagReadResult tag;
    try {
        tag = ReadTagFields(FileSystemPath(path));
    } catch (const FileError& error) {
        return *FileErrorText(error);
    }
    const QString none = QStringLiteral("无");
    const bool found = tag.outcome == ReadOutcome::Found;
    return QStringLiteral("标题：%1\n艺术家：%2\n专辑：%3")
        .arg(found ? FromTagText(tag.fields.title) : none, found ? FromTagText(tag.fields.artist) : none,
             found ? FromTagText(tag.fields.album) : none);
}

}  // namespace sonatag::ui
