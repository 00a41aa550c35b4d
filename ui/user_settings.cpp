#include "ui/user_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace sonatag::ui {
namespace {

const QString kMirrorKey = QStringLiteral("id3v2/mirror");
const QString kAddFolderKey = QStringLiteral("AddFolder");

QSettings UserSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("sonatag"),
                     QStringLiteral("sonatag"));
}

}  // namespace

bool MirrorsId3v2() {
    return UserSettings().value(kMirrorKey, false).toBool();
}

void SetMirrorsId3v2(bool on) {
    UserSettings().setValue(kMirrorKey, on);
}

QString AddDialogFolder() {
    const QString last = UserSettings().value(kAddFolderKey).toString();
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QFileInfo(music).isDir()) return music;
    return QDir::homePath();
}

void RememberAddDialogFolder(const QString& folder) {
    UserSettings().setValue(kAddFolderKey, folder);
}

}  // namespace sonatag::ui
