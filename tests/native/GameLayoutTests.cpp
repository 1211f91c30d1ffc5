// The game window's placement arithmetic on desktops of every size, and the
// layout numbers a skin may give.

#include "GameLayout.h"

#include <gtest/gtest.h>

#include <climits>

TEST(GameLayout, OpensATenthInAtThreeQuartersOfTheDesktop) {
    struct Row {
        int right, bottom;
        GameRect expected;
    };
    const Row rows[] = {
        {1920, 1080, {192, 108, 1440, 810}},
        {1366, 768, {136, 76, 1024, 576}},
        {1280, 1024, {128, 102, 960, 768}},
        {0, 0, {0, 0, 0, 0}},
        {INT_MAX, INT_MAX, {214748364, 214748364, 1610612735, 1610612735}},
    };
    for (const Row& row : rows) {
        GameRect got = InitialGamePlacement(row.right, row.bottom);
        EXPECT_EQ(got.x, row.expected.x) << row.right;
        EXPECT_EQ(got.y, row.expected.y) << row.bottom;
        EXPECT_EQ(got.width, row.expected.width) << row.right;
        EXPECT_EQ(got.height, row.expected.height) << row.bottom;
    }
}

TEST(GameLayout, ButtonsCountFromTheRightEdgeWithoutOverflow) {
    EXPECT_EQ(ButtonLeft(1000, 40), 960);
    EXPECT_EQ(ButtonLeft(1200, 40), 1160);
    EXPECT_EQ(ButtonLeft(1000, 0), 1000);
    EXPECT_EQ(ButtonLeft(1000, -20), 1020);
    EXPECT_EQ(ButtonLeft(1000, INT_MIN), INT_MAX);
    EXPECT_EQ(ButtonLeft(-10, INT_MAX), INT_MIN);
}

TEST(GameLayout, ColourChannelsKeepTheirLowEightBits) {
    EXPECT_EQ(ColourFromChannels(300, -1, 0), 44u | 255u << 8);
    EXPECT_EQ(ColourFromChannels(1, 2, 3), 1u | 2u << 8 | 3u << 16);
}
