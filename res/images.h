#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon IDR_MAINFRAME, in 48, 32 and 16 pixels.
QIcon MainFrameIcon();
// The About button's face IDB_ABOUT.
QPixmap AboutBitmap();
