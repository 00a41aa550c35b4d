#include "platform/dialog_units.h"

#include <QFontMetrics>

namespace {

// value * numerator / denominator rounded to the nearest integer, halves away from zero.
int MulDiv(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

DialogBaseUnits::DialogBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    averageWidth_ = (letters / 26 + 1) / 2;
    height_ = metrics.height();
}

int DialogBaseUnits::toPixelsX(int units) const {
    return MulDiv(units, averageWidth_, 4);
}

int DialogBaseUnits::toPixelsY(int units) const {
    return MulDiv(units, height_, 8);
}

QRect DialogBaseUnits::toPixels(int x, int y, int width, int height) const {
    return {toPixelsX(x), toPixelsY(y), toPixelsX(width), toPixelsY(height)};
}

QSize DialogBaseUnits::toPixels(int width, int height) const {
    return {toPixelsX(width), toPixelsY(height)};
}
