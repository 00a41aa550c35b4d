#pragma once

#include <QString>

namespace sonatag::ui {

// The folder the file dialog of Add opens in: the folder of the last Add, kept in the
// user's settings; before any, the user's Music folder where it exists, else the home folder.
QString AddDialogFolder();
void RememberAddDialogFolder(const QString& folder);

}  // namespace sonatag::ui
