#include "UrlCacheEntries.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

bool AddCacheEntry(const std::string& url, const std::string& headers) {
    char file[MAX_PATH] = {};
    if (!::CreateUrlCacheEntryA(url.c_str(), 0, "html", file, 0))
        return false;
    HANDLE handle = ::CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    ::WriteFile(handle, "<html></html>", 13, &written, nullptr);
    ::CloseHandle(handle);
    FILETIME never{};
    std::string header = headers;
    return ::CommitUrlCacheEntryA(url.c_str(), file, never, never, NORMAL_CACHE_ENTRY,
                                  header.empty() ? nullptr : reinterpret_cast<BYTE*>(header.data()),
                                  static_cast<DWORD>(header.size()), nullptr, nullptr) != FALSE;
}

std::vector<std::string> CacheEntries() {
    std::vector<std::string> urls;
    std::vector<BYTE> buffer(64 * 1024);
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    DWORD size = static_cast<DWORD>(buffer.size());
    HANDLE find = ::FindFirstUrlCacheEntryA(nullptr, entry, &size);
    if (!find)
        return urls;
    do {
        if (entry->lpszSourceUrlName)
            urls.emplace_back(entry->lpszSourceUrlName);
        size = static_cast<DWORD>(buffer.size());
    } while (::FindNextUrlCacheEntryA(find, entry, &size));
    ::FindCloseUrlCache(find);
    return urls;
}
