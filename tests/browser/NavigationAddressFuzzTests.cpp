// Random navigation addresses, in the UTF-16 the browser hands over, through
// the client's conversion and the hand-over rules. The expectation is worked
// out on the wide text as the code page round-trips it (UTF-16 has no lead
// bytes, so no search there can stop on half a character) and converted once.

#include "FuzzText.h"
#include "HandOverAddress.h"
#include "NavigationAddress.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

template <UINT codePage> bool LeadByteIn(unsigned char byte) {
    return ::IsDBCSLeadByteEx(codePage, byte) != FALSE;
}

struct Outcome {
    bool arms = false;
    std::optional<std::string> parameters;
    bool operator==(const Outcome&) const = default;
};

Outcome Expected(const std::wstring& wide, UINT codePage) {
    const std::wstring seen = PlatformWide(PlatformNarrow(wide, codePage), codePage);
    Outcome outcome;
    outcome.arms = seen.find(L"web\\main") != std::wstring::npos;
    size_t hash = seen.find(L'#');
    size_t slash = seen.rfind(L'/');
    if (seen.find(L"http://") != std::wstring::npos && hash != std::wstring::npos &&
        slash != std::wstring::npos)
        outcome.parameters =
            PlatformNarrow(seen.substr(hash + 1) + L"|" + seen.substr(0, slash + 1), codePage);
    return outcome;
}

// A navigation's address argument: nearly always a string, at times not.
struct Address {
    VARIANT value;
    std::wstring text; // what a string holds; empty otherwise
    explicit Address(CFuzzRandom& random, const std::vector<std::wstring>& pieces) {
        ::VariantInit(&value);
        switch (random.Pick(20)) {
        case 0:
            value.vt = VT_BSTR; // a null BSTR
            break;
        case 1:
            value.vt = VT_I4;
            value.lVal = 47;
            break;
        case 2:
            break; // VT_EMPTY
        default:
            text = random.Text(pieces, random.OneIn(50) ? 2000 : 24);
            value.vt = VT_BSTR;
            value.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        }
    }
    ~Address() { ::VariantClear(&value); }
    Address(const Address&) = delete;
    Address& operator=(const Address&) = delete;
};

// `codePage` 0: the client's own path, in the prefix's code page.
void Fuzz(UINT codePage, LeadByteTest isLeadByte) {
    const UINT oracleCodePage = codePage ? codePage : ::GetACP();
    // The pieces the rules look for come up as often as all the others, and
    // their tails, which a trail byte 'w' or 'h' would complete.
    std::vector<std::wstring> pieces;
    for (int copies = 0; copies < 4; ++copies)
        pieces.insert(pieces.end(), {L"web\\main", L"http://", L"#", L"/", L"\\", L"|", L":", L"w",
                                     L"main", L"a", L".", L"eb\\main", L"ttp://"});
    for (const std::wstring& piece : AwkwardCharacters())
        pieces.push_back(piece);
    std::vector<std::wstring> trailing = TrailByteCharacters(oracleCodePage, "\\|/#:webmainhtp");
    ASSERT_GE(trailing.size(), 10u) << "code page " << oracleCodePage;
    pieces.insert(pieces.end(), trailing.begin(), trailing.end());

    const unsigned seed = FuzzSeed(20261209);
    const int iterations = FuzzIterations(20000);
    CFuzzRandom random(seed);
    int armed = 0, handedOver = 0;
    for (int i = 0; i < iterations; ++i) {
        Address address(random, pieces);
        std::string narrow =
            codePage ? NavigationText(&address.value, codePage) : NavigationText(&address.value);
        Outcome actual{ArmsHandOver(narrow, isLeadByte), HandOverParameters(narrow, isLeadByte)};
        Outcome expected = Expected(address.text, oracleCodePage);
        ASSERT_EQ(actual, expected)
            << "code page " << oracleCodePage << ", seed " << seed << ", iteration " << i
            << ", address \"" << Escaped(address.text) << "\" (vt " << address.value.vt
            << "), narrow \"" << Escaped(narrow) << "\", arms " << actual.arms << " (expected "
            << expected.arms << "), parameters \"" << Escaped(actual.parameters.value_or("(none)"))
            << "\", expected \"" << Escaped(expected.parameters.value_or("(none)")) << "\"";
        armed += expected.arms;
        handedOver += expected.parameters.has_value();
    }
    // Both rules fire, and not always.
    EXPECT_GT(armed, iterations / 20);
    EXPECT_LT(armed, iterations / 2);
    EXPECT_GT(handedOver, iterations / 20);
    EXPECT_LT(handedOver, iterations / 2);
}

TEST(NavigationAddressFuzz, ThePrefixsDoubleByteCodePageAsTheClientConvertsIt) {
    // The tests' prefix runs in code page 936, where '\' and '|' can be trail bytes.
    ASSERT_EQ(::GetACP(), 936u);
    Fuzz(0, &IsAnsiLeadByte);
}

TEST(NavigationAddressFuzz, OtherDoubleByteCodePages) {
    Fuzz(932, &LeadByteIn<932>);
    Fuzz(950, &LeadByteIn<950>);
}

} // namespace
