#pragma once

#include <QIcon>
#include <QPixmap>

// The program's images by resource id: the icon IDR_MAINFRAME (48, 32 and 16 pixels) and
// the bitmap IDB_ABOUT. An unknown id gives a null icon or pixmap.
QIcon LoadIconResource(int id);
QPixmap LoadBitmapResource(int id);
