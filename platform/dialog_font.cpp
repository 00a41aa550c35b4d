#include "platform/dialog_font.h"

#include <QStringList>

namespace {

QFont WithDialogFamilies(QFont font) {
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Droid Sans Fallback")});
    return font;
}

}  // namespace

QFont CreateDialogFont(int pixelHeight, QFont::Weight weight) {
    QFont font = WithDialogFamilies(QFont());
    font.setPixelSize(pixelHeight);
    font.setWeight(weight);
    return font;
}

QFont DialogTemplateFont() {
    QFont font = WithDialogFamilies(QFont());
    font.setPointSize(9);
    return font;
}
