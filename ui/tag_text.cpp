#include "ui/tag_text.h"

#include <QFile>

#include "tag/cp936.h"
#include "tag/file_name.h"

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

}  // namespace sonatag::ui
