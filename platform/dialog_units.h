#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Converts dialog units to pixels with the base units of a dialog's font: the average width
// of the 52 letters A-Z a-z (rounded as (width / 26 + 1) / 2) and the font's height.
// A horizontal unit is a quarter of the average width, a vertical unit an eighth of the height.
class DialogBaseUnits {
public:
    explicit DialogBaseUnits(const QFont& font);

    QRect toPixels(int x, int y, int width, int height) const;
    QSize toPixels(int width, int height) const;

private:
    int toPixelsX(int units) const;
    int toPixelsY(int units) const;

    int averageWidth_;
    int height_;
};
