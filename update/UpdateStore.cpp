#include "UpdateStore.h"

#include "Cng.h"

#include <optional>

namespace {

constexpr std::size_t kLongestLine = 1024;

std::optional<std::string> ReadWhole(const std::wstring& path, std::size_t cap) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes(cap, '\0');
    DWORD got = 0;
    const BOOL read = ::ReadFile(file, bytes.data(), static_cast<DWORD>(cap), &got, nullptr);
    ::CloseHandle(file);
    if (!read)
        return std::nullopt;
    bytes.resize(got);
    return bytes;
}

// Replaces the file's contents; a new file is written beside it first, so
// a crash never leaves half of it.
bool WriteWhole(const std::wstring& path, std::string_view bytes) {
    const std::wstring fresh = path + L".new";
    HANDLE file =
        ::CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL wrote =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    ::CloseHandle(file);
    if (!wrote || !::MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ::DeleteFileW(fresh.c_str());
        return false;
    }
    return true;
}

std::optional<unsigned> KeptPlace(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    if (text.empty() || text.size() > 2)
        return std::nullopt;
    unsigned place = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        place = place * 10 + static_cast<unsigned>(c - '0');
    }
    return place;
}

std::optional<unsigned> DrawPlace() {
    for (;;) {
        unsigned char byte = 0;
        const CngFunctions* cng = Cng();
        if (!cng || cng->genRandom(nullptr, &byte, 1, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0)
            return std::nullopt;
        // 200 of the 256 values, so every place is as likely.
        if (byte < 200)
            return byte % 100;
    }
}

} // namespace

unsigned RolloutPlace(const std::wstring& folder) {
    const std::wstring path = folder + kRolloutPlaceFile;
    if (const auto text = ReadWhole(path, 16))
        if (const auto place = KeptPlace(*text))
            return *place;
    const std::optional<unsigned> place = DrawPlace();
    if (!place)
        return 0;
    WriteWhole(path, std::to_string(*place) + "\r\n");
    return *place;
}

std::wstring CUpdateLog::Path() const {
    return m_folder + kUpdateLogFile;
}

void CUpdateLog::Add(std::string_view line) const {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    char stamp[32];
    ::wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u UTC ", now.wYear, now.wMonth, now.wDay,
                now.wHour, now.wMinute, now.wSecond);
    std::string text = ReadWhole(Path(), kCap).value_or(std::string());
    text += stamp;
    // One entry, one short line, whatever a server sent.
    for (char c : line.substr(0, kLongestLine))
        text += (c == '\r' || c == '\n') ? ' ' : c;
    text += "\r\n";
    if (text.size() > kCap) {
        // The oldest lines go, whole.
        std::size_t cut = text.size() - kCap / 2;
        const std::size_t lineEnd = text.find('\n', cut);
        cut = lineEnd == std::string::npos ? text.size() : lineEnd + 1;
        text.erase(0, cut);
    }
    WriteWhole(Path(), text);
}
