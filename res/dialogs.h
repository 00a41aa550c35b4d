#pragma once

#include "platform/dialog_template.h"

// The main window, the About box and the file list's context menu.
extern const DialogTemplate kMainDialog;
extern const DialogTemplate kAboutDialog;
extern const MenuTemplate kListMenu;
