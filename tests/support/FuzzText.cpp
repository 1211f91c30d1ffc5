#include "FuzzText.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

long EnvironmentNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    return end && *end == '\0' ? value : fallback;
}

} // namespace

unsigned FuzzSeed(unsigned fallback) {
    const char* text = std::getenv("CLIENT_FUZZ_SEED");
    if (!text || !*text)
        return fallback;
    return static_cast<unsigned>(std::strtoul(text, nullptr, 10));
}

int FuzzIterations(int fallback) {
    long value = EnvironmentNumber("CLIENT_FUZZ_ITERATIONS", fallback);
    return value > 0 && value <= INT_MAX ? static_cast<int>(value) : fallback;
}

std::wstring CFuzzRandom::Text(const std::vector<std::wstring>& pieces, size_t maxPieces) {
    std::wstring text;
    for (size_t count = Pick(maxPieces + 1); count > 0; --count)
        text += Among(pieces);
    return text;
}

std::vector<std::wstring> AwkwardCharacters() {
    return {std::wstring(1, L'\0'),
            std::wstring(1, static_cast<wchar_t>(0xD83D)),
            std::wstring(1, static_cast<wchar_t>(0xDE00)),
            L"\U0001F600",
            L"\uFFFF",
            L"\uFFFE",
            L"\u0E01",
            L"\u00E9",
            L"\u0100",
            L"\u2215",
            L"\uFF0F",
            L"\uFF03",
            L"\u20AC",
            L"\u3000",
            L"\u4E2D",
            L"\u6587"};
}

std::vector<std::wstring> TrailByteCharacters(UINT codePage, std::string_view trails) {
    std::vector<std::wstring> found;
    for (char trail : trails) {
        int kept = 0;
        for (int lead = 0x81; lead <= 0xFE && kept < 3; lead += 7) {
            if (!::IsDBCSLeadByteEx(codePage, static_cast<BYTE>(lead)))
                continue;
            const char pair[2] = {static_cast<char>(lead), trail};
            std::wstring wide = PlatformWide(std::string_view(pair, 2), codePage);
            // Only a real character that comes back as the same two bytes.
            if (wide.size() == 1 && PlatformNarrow(wide, codePage) == std::string(pair, 2)) {
                found.push_back(wide);
                ++kept;
            }
        }
    }
    return found;
}

std::string PlatformNarrow(std::wstring_view text, UINT codePage) {
    if (text.empty())
        return {};
    int length = static_cast<int>(text.size());
    std::string narrow(static_cast<size_t>(length) * 4 + 4, '\0');
    int written = ::WideCharToMultiByte(codePage, 0, text.data(), length, narrow.data(),
                                        static_cast<int>(narrow.size()), nullptr, nullptr);
    narrow.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return narrow;
}

std::wstring PlatformWide(std::string_view text, UINT codePage) {
    if (text.empty())
        return {};
    int length = static_cast<int>(text.size());
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    int written = ::MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(),
                                        static_cast<int>(wide.size()));
    wide.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return wide;
}

std::string Escaped(std::wstring_view text) {
    std::string out;
    for (wchar_t ch : text) {
        if (ch >= 0x20 && ch < 0x7F && ch != L'\\') {
            out += static_cast<char>(ch);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof(escape), "\\u%04X", static_cast<unsigned>(ch));
            out += escape;
        }
    }
    return out;
}

std::string Escaped(std::string_view text) {
    std::string out;
    for (char ch : text) {
        auto byte = static_cast<unsigned char>(ch);
        if (byte >= 0x20 && byte < 0x7F && ch != '\\') {
            out += ch;
        } else {
            char escape[6];
            std::snprintf(escape, sizeof(escape), "\\x%02X", byte);
            out += escape;
        }
    }
    return out;
}
