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

namespace {

// The primary monitor with a task bar at its bottom, and a taller one to its
// left, reaching above it.
const MonitorArea kMonitors[] = {
    {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true},
    {{-1280, -200, 0, 824}, {-1280, -200, 0, 824}, false},
};

bool Same(const ScreenRect& a, const ScreenRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

} // namespace

TEST(GameLayout, TheGameWindowOpensOnTheMonitorOfTheLoginWindow) {
    const struct {
        ScreenRect login;
        std::size_t monitor;
    } rows[] = {
        {{100, 100, 900, 700}, 0},      {{-1000, 0, -200, 600}, 1},
        {{-300, 0, 500, 600}, 0},       {{-900, 0, 100, 600}, 1},
        {{0, 0, 0, 0}, 0},              {{5000, 5000, 5100, 5100}, 0},
        {{-3000, 0, -2900, 100}, 1},
    };
    for (const auto& row : rows)
        EXPECT_EQ(MonitorHolding(kMonitors, row.login), row.monitor) << row.login.left;
    const GameRect onSecond = InitialGamePlacement(kMonitors[1].bounds);
    EXPECT_EQ(onSecond.x, -1280 + 128);
    EXPECT_EQ(onSecond.y, -200 + 102);
    EXPECT_EQ(onSecond.width, 960);
    EXPECT_EQ(onSecond.height, 768);
    const GameRect onPrimary = InitialGamePlacement(kMonitors[0].bounds);
    const GameRect rule = InitialGamePlacement(1920, 1080);
    EXPECT_TRUE(onPrimary.x == rule.x && onPrimary.y == rule.y && onPrimary.width == rule.width &&
                onPrimary.height == rule.height);
}

TEST(GameLayout, APlacementOffEveryMonitorComesBackOntoTheNearest) {
    const struct {
        ScreenRect saved;
        ScreenRect expected;
    } rows[] = {
        // Shown, even in part: left as it is.
        {{100, 100, 900, 700}, {100, 100, 900, 700}},
        {{-200, 700, 300, 1200}, {-200, 700, 300, 1200}},
        // On a monitor that is gone: onto the nearest work area.
        {{3000, 100, 3800, 700}, {1120, 100, 1920, 700}},
        {{500, 1100, 900, 1300}, {500, 840, 900, 1040}},
        {{-4000, -500, -1500, 2000}, {-1280, -200, 0, 824}},
    };
    for (const auto& row : rows)
        EXPECT_TRUE(Same(OntoAMonitor(kMonitors, row.saved), row.expected)) << row.saved.left;
}
