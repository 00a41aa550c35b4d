#pragma once

#include <QString>

// What the window keeps in the user's settings (~/.config/sonatag/sonatag.conf).
namespace sonatag::ui {

// "同时写入 ID3v2 标签": whether Modify also writes its texts into the ID3v2 tag at the head of
// each file. Off until the user turns it on.
bool MirrorsId3v2();
void SetMirrorsId3v2(bool on);

// The folder the file dialog of Add opens in: the folder of the last Add; before any, the
// user's Music folder where it exists, else the home folder.
QString AddDialogFolder();
void RememberAddDialogFolder(const QString& folder);

}  // namespace sonatag::ui
