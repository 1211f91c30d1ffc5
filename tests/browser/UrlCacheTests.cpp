// Emptying the WinINet URL cache of the test prefix.

#include "UrlCache.h"
#include "UrlCacheEntries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TEST(UrlCache, EveryEntryIsDeleted) {
    ClearUrlCache();
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(AddCacheEntry("http://cache.test/page" + std::to_string(i) + ".html"));
    std::vector<std::string> before = CacheEntries();
    EXPECT_EQ(std::count_if(before.begin(), before.end(),
                            [](const std::string& url) {
                                return url.find("cache.test") != std::string::npos;
                            }),
              6);
    ClearUrlCache();
    EXPECT_TRUE(CacheEntries().empty());
}

TEST(UrlCache, AnEmptyCacheIsLeftAsItIs) {
    ClearUrlCache();
    ClearUrlCache();
    EXPECT_TRUE(CacheEntries().empty());
    ASSERT_TRUE(AddCacheEntry("http://cache.test/after.html"));
    EXPECT_EQ(CacheEntries().size(), 1u);
    ClearUrlCache();
    EXPECT_TRUE(CacheEntries().empty());
}

TEST(UrlCache, EntriesLargerThanTheFirstBufferAreDeletedToo) {
    ClearUrlCache();
    // Headers of 6000 bytes make the entry's record larger than 4096 bytes.
    ASSERT_TRUE(AddCacheEntry("http://cache.test/small1.html"));
    ASSERT_TRUE(AddCacheEntry("http://cache.test/large.html", std::string(6000, 'h')));
    ASSERT_TRUE(AddCacheEntry("http://cache.test/small2.html"));
    ASSERT_EQ(CacheEntries().size(), 3u);
    ClearUrlCache();
    EXPECT_TRUE(CacheEntries().empty());
}

} // namespace
