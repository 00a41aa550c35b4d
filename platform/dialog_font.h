#pragma once

#include <QFont>

// Fonts of the dialogs: the family "宋体" where it is installed, otherwise the first
// installed of a few common CJK families, so that Chinese text always renders.
QFont CreateDialogFont(int pixelHeight, QFont::Weight weight);

// The font a dialog template is laid out with, and whose base units convert its dialog units.
QFont DialogTemplateFont();
