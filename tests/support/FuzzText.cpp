#include "FuzzText.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

unsigned FuzzSeed(unsigned fallback) {
    const char* text = std::getenv("CLIENT_FUZZ_SEED");
    return text && *text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
}

int FuzzIterations(int fallback) {
    const char* text = std::getenv("CLIENT_FUZZ_ITERATIONS");
    char* end = nullptr;
    long value = text ? std::strtol(text, &end, 10) : 0;
    return end != text && *end == '\0' && value > 0 && value <= INT_MAX ? static_cast<int>(value)
                                                                        : fallback;
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

namespace {

template <class Char>
std::string EscapedText(std::basic_string_view<Char> text, const char* format) {
    std::string out;
    for (Char ch : text) {
        auto code = static_cast<unsigned>(static_cast<std::make_unsigned_t<Char>>(ch));
        if (code >= 0x20 && code < 0x7F && code != '\\') {
            out += static_cast<char>(code);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof(escape), format, code);
            out += escape;
        }
    }
    return out;
}

} // namespace

std::string Escaped(std::wstring_view text) {
    return EscapedText(text, "\\u%04X");
}

std::string Escaped(std::string_view text) {
    return EscapedText(text, "\\x%02X");
}
