// Any address through the hand-over rules, in one of two ways chosen by the
// first byte's lowest bit:
// - clear: a random table of lead bytes (the first 16 bytes: one bit for each
//   byte from 0x80, as the double-byte code pages have them, 0x80 never a
//   lead byte), against a reference that splits the address into characters
//   first and then looks for whole characters;
// - set: the address (after that byte) in the client's code page 936, against
//   glibc's iconv: the address decoded to UTF-32, searched there character by
//   character, and the parameters encoded back. Only addresses that iconv
//   decodes completely, and that encode back to the same bytes, are compared.

#include "Cp936.h"
#include "HandOverAddress.h"
#include "TextLayout.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::uint8_t g_leads[16];

bool IsLead(unsigned char byte) {
    return byte >= 0x80 && (g_leads[(byte - 0x80) / 8] >> (byte % 8) & 1);
}

// The address as characters: a lead byte with the byte after it, or one byte.
std::vector<std::string> Characters(const std::string& url) {
    std::vector<std::string> characters;
    for (std::size_t i = 0; i < url.size(); ++i) {
        const bool pair = IsLead(static_cast<unsigned char>(url[i])) && i + 1 < url.size();
        characters.push_back(url.substr(i, pair ? 2 : 1));
        i += pair;
    }
    return characters;
}

// The index of the first character where the characters of `word` (one byte
// each) follow one another; -1 when they never do.
long Find(const std::vector<std::string>& characters, const std::string& word) {
    for (std::size_t at = 0; at + word.size() <= characters.size(); ++at) {
        std::size_t matched = 0;
        while (matched < word.size() && characters[at + matched] == word.substr(matched, 1))
            ++matched;
        if (matched == word.size())
            return static_cast<long>(at);
    }
    return -1;
}

std::optional<std::string> ReferenceParameters(const std::vector<std::string>& characters) {
    const long hash = Find(characters, "#");
    long slash = -1;
    for (std::size_t i = 0; i < characters.size(); ++i)
        if (characters[i] == "/")
            slash = static_cast<long>(i);
    if (Find(characters, "http://") < 0 || hash < 0 || slash < 0)
        return std::nullopt;
    std::string parameters;
    for (std::size_t i = static_cast<std::size_t>(hash) + 1; i < characters.size(); ++i)
        parameters += characters[i];
    parameters += '|';
    for (long i = 0; i <= slash; ++i)
        parameters += characters[static_cast<std::size_t>(i)];
    return parameters;
}

void CheckCodePage936(const std::string& url) {
    const std::optional<std::u32string> points = DecodeCp936(url);
    if (!points || EncodeCp936(*points) != url)
        return;
    Require(ArmsHandOver(url, &IsCp936LeadByte) ==
            (points->find(U"web\\main") != std::u32string::npos));
    std::optional<std::string> expected;
    const std::size_t hash = points->find(U'#'), slash = points->rfind(U'/');
    if (points->find(U"http://") != std::u32string::npos && hash != std::u32string::npos &&
        slash != std::u32string::npos)
        expected = EncodeCp936(points->substr(hash + 1) + U'|' + points->substr(0, slash + 1));
    Require(HandOverParameters(url, &IsCp936LeadByte) == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0 && data[0] & 1) {
        CheckCodePage936(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
        return 0;
    }
    if (size < sizeof(g_leads))
        return 0;
    std::copy(data, data + sizeof(g_leads), g_leads);
    const std::string url(reinterpret_cast<const char*>(data) + sizeof(g_leads),
                          size - sizeof(g_leads));
    const std::vector<std::string> characters = Characters(url);
    Require(ArmsHandOver(url, &IsLead) == (Find(characters, "web\\main") >= 0));
    Require(HandOverParameters(url, &IsLead) == ReferenceParameters(characters));
    return 0;
}
