#include "UrlCache.h"

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <new>

namespace {

constexpr DWORD kInitialSize = 4096;
// An entry record larger than this is not fetched; the enumeration ends there.
constexpr DWORD kLargestEntry = 1024 * 1024;

// Room for one cache entry record and its strings. The size offered to the
// enumeration is always the size of the buffer actually passed.
class CEntryBuffer {
public:
    bool Reserve(DWORD size) {
        if (size <= m_size)
            return true;
        if (size > kLargestEntry)
            return false;
        std::unique_ptr<BYTE[]> bigger(new (std::nothrow) BYTE[size]);
        if (!bigger)
            return false;
        m_bytes = std::move(bigger);
        m_size = size;
        return true;
    }
    // The buffer, ready for an enumeration step to fill.
    INTERNET_CACHE_ENTRY_INFOA* Prepare() {
        Entry()->dwStructSize = m_size;
        return Entry();
    }
    INTERNET_CACHE_ENTRY_INFOA* Entry() const {
        return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(m_bytes.get());
    }
    DWORD Size() const { return m_size; }

private:
    std::unique_ptr<BYTE[]> m_bytes;
    DWORD m_size = 0;
};

// Runs one enumeration step; when the entry did not fit, once more with a
// buffer of the size the step asked for (the entry is then fetched again).
template <class Step> bool Fetch(CEntryBuffer& buffer, Step step) {
    DWORD size = buffer.Size();
    if (step(buffer.Prepare(), &size))
        return true;
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || !buffer.Reserve(size))
        return false;
    size = buffer.Size();
    return step(buffer.Prepare(), &size);
}

void DeleteEntry(const INTERNET_CACHE_ENTRY_INFOA* entry) {
    if (entry->lpszSourceUrlName)
        ::DeleteUrlCacheEntryA(entry->lpszSourceUrlName);
}

} // namespace

void ClearUrlCache() {
    CEntryBuffer buffer;
    if (!buffer.Reserve(kInitialSize))
        return;
    HANDLE find = nullptr;
    auto first = [&](INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size) {
        find = ::FindFirstUrlCacheEntryA(nullptr, entry, size);
        return find != nullptr;
    };
    if (!Fetch(buffer, first))
        return;
    auto next = [&](INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size) {
        return ::FindNextUrlCacheEntryA(find, entry, size) != FALSE;
    };
    do {
        DeleteEntry(buffer.Entry());
    } while (Fetch(buffer, next));
    ::FindCloseUrlCache(find);
}
