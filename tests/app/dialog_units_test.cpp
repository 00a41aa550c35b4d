#include "platform/dialog_units.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogBaseUnitsTest, ConvertsWithRoundingToNearest) {
    const DialogBaseUnits units(6, 13);
    // x * 6 / 4 and y * 13 / 8; halves round away from zero.
    EXPECT_EQ(units.toPixels(267, 130, 36, 13), QRect(401, 211, 54, 21));
    EXPECT_EQ(units.toPixels(319, 244), QSize(479, 397));
    EXPECT_EQ(units.toPixelsX(1), 2);
    EXPECT_EQ(units.toPixelsX(-1), -2);
    EXPECT_EQ(units.toPixelsY(3), 5);
}

}  // namespace
