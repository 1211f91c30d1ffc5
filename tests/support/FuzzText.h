#pragma once
// Shared pieces of the seeded random tests that run under Wine: the seed and
// the count (CLIENT_FUZZ_SEED, CLIENT_FUZZ_ITERATIONS override them for long
// runs), random wide text built from awkward pieces, and the platform's own
// conversions, which the expectations are computed with.

#include <windows.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

unsigned FuzzSeed(unsigned fallback);
int FuzzIterations(int fallback);

class CFuzzRandom {
public:
    explicit CFuzzRandom(unsigned seed) : m_engine(seed) {}
    // 0 .. bound-1 (0 when bound is 0).
    size_t Pick(size_t bound) { return bound ? m_engine() % bound : 0; }
    bool OneIn(size_t n) { return Pick(n) == 0; }
    template <class T> const T& Among(const std::vector<T>& items) {
        return items[Pick(items.size())];
    }
    // Up to `maxPieces` pieces, each drawn from `pieces`.
    std::wstring Text(const std::vector<std::wstring>& pieces, size_t maxPieces);
    std::mt19937& Engine() { return m_engine; }

private:
    std::mt19937 m_engine;
};

// NUL, lone and paired surrogates, non-characters, characters most code pages
// lack, and some that best-fit mappings turn into ASCII punctuation.
std::vector<std::wstring> AwkwardCharacters();
// Characters that take two bytes in `codePage`, the second one of `trails`
// (several per trail byte, where the code page has them).
std::vector<std::wstring> TrailByteCharacters(UINT codePage, std::string_view trails);

// WideCharToMultiByte and MultiByteToWideChar, called directly.
std::string PlatformNarrow(std::wstring_view text, UINT codePage);
std::wstring PlatformWide(std::string_view text, UINT codePage);
// Text as \uXXXX or \xNN escapes around printable ASCII, for failure messages.
std::string Escaped(std::wstring_view text);
std::string Escaped(std::string_view text);
