// When a failed navigation shows the offline page, and the pauses between
// the window's own tries.

#include "OfflinePage.h"

#include <gtest/gtest.h>

#include <vector>

TEST(OfflinePage, OnlyAServerThatCannotBeReachedOrFailsShowsIt) {
    const struct {
        std::int32_t status;
        bool shown;
        const char* reason;
    } cases[] = {{200, false, "failed"},
                 {404, false, "failed"},
                 {499, false, "failed"},
                 {500, true, "http-500"},
                 {599, true, "http-599"},
                 {600, false, "http-600"},
                 {static_cast<std::int32_t>(0x80004004), false, "failed"}, // cancelled
                 {static_cast<std::int32_t>(0x800C0018), false, "failed"}, // binding ended
                 {static_cast<std::int32_t>(0x800C0005), true, "not-found"},
                 {static_cast<std::int32_t>(0x800C0004), true, "refused"},
                 {static_cast<std::int32_t>(0x800C000B), true, "timed-out"},
                 {static_cast<std::int32_t>(0x800C0008), true, "failed"}};
    for (const auto& c : cases) {
        EXPECT_EQ(MeansServerUnreachable(c.status), c.shown) << c.status;
        EXPECT_EQ(UnreachableReason(c.status), c.reason) << c.status;
    }
}

TEST(OfflinePage, PausesDoubleFromFiveSecondsToAMinute) {
    unsigned pauses[7];
    for (unsigned attempt = 0; attempt < 7; ++attempt)
        pauses[attempt] = RetryDelaySeconds(attempt);
    EXPECT_EQ(std::vector<unsigned>(pauses, pauses + 7),
              (std::vector<unsigned>{5, 10, 20, 40, 60, 60, 60}));
    EXPECT_EQ(RetryDelaySeconds(4000000000u), 60u);
}
