#pragma once
// Filling and reading the WinINet URL cache, as the browser would.

#include <string>
#include <vector>

// Adds an entry for `url` with a small file behind it and the given headers.
bool AddCacheEntry(const std::string& url, const std::string& headers = {});
// The source URLs of every entry in the cache.
std::vector<std::string> CacheEntries();
