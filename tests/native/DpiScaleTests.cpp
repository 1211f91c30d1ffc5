#include "DpiScale.h"

#include <gtest/gtest.h>

#include <climits>

TEST(DpiScale, LengthsScaleByDpiOver96RoundedHalfAwayFromZero) {
    struct Row {
        int value, dpi, scaled;
    };
    const Row rows[] = {
        {31, 96, 31},
        {31, 144, 47},
        {31, 192, 62},
        {70, 120, 88},
        {-5, 144, -8},
        {-3, 120, -4},
        {0, 192, 0},
        {1, 97, 1},
        {INT_MAX, 192, INT_MAX},
        {INT_MIN, 192, INT_MIN},
        {18, 168, 32},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ScaleToDpi(row.value, row.dpi), row.scaled) << row.value << " at " << row.dpi;
    EXPECT_EQ(ScaleBy(7, 3, 0), 7);
}

TEST(DpiScale, TwiceSizeNamesGoBeforeTheExtensionOfTheFileName) {
    struct Row {
        const char* base;
        const char* twice;
    };
    const Row rows[] = {
        {"data\\btn.bmp", "data\\btn@2x.bmp"}, {"data\\login.bg.png", "data\\login.bg@2x.png"},
        {"data\\noext", "data\\noext@2x"},     {"skin.v2\\noext", "skin.v2\\noext@2x"},
        {"data/.bmp", "data/.bmp@2x"},         {"pic.gif", "pic@2x.gif"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(TwiceSizeName(row.base), row.twice);
        EXPECT_EQ(BaseNameOfTwiceSize(row.twice), row.base);
    }
    for (const char* plain : {"data\\btn.bmp", "data\\@2x.bmp", "data\\btn@2x.bmp.bak", "@2x"})
        EXPECT_EQ(BaseNameOfTwiceSize(plain), "") << plain;
}
