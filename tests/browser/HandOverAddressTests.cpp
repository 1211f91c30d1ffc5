// The address rules of the hand-over, on code page 936 text.

#include "DispatchArgs.h"
#include "HandOverAddress.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

bool Cp936Lead(unsigned char byte) {
    return ::IsDBCSLeadByteEx(936, byte) != FALSE;
}

std::optional<std::string> Parameters(const std::string& url) {
    return HandOverParameters(url, &Cp936Lead);
}

TEST(HandOverAddress, WebMainArmsTheHandOver) {
    EXPECT_TRUE(ArmsHandOver("C:\\game\\web\\main.html", &Cp936Lead));
    EXPECT_TRUE(ArmsHandOver("http://h/web\\main", &Cp936Lead));
    EXPECT_FALSE(ArmsHandOver("http://h/web/main.html", &Cp936Lead));
    EXPECT_FALSE(ArmsHandOver("C:\\game\\WEB\\MAIN.html", &Cp936Lead));
    EXPECT_FALSE(ArmsHandOver("", &Cp936Lead));
    // "w" right after a lead byte is that character's trail byte, not a "w".
    EXPECT_FALSE(ArmsHandOver("\x81web\\main", &Cp936Lead));
    EXPECT_TRUE(ArmsHandOver("\x81\x40web\\main", &Cp936Lead));
}

TEST(HandOverAddress, FragmentThenBarThenTheAddressUpToItsLastSlash) {
    EXPECT_EQ(Parameters("http://host/path/page.html#k=1"), "k=1|http://host/path/");
    EXPECT_EQ(Parameters("http://host/page.html#"), "|http://host/");
    // Everything after the first "#".
    EXPECT_EQ(Parameters("http://h/a#b#c"), "b#c|http://h/");
    // A "/" in the fragment is the last one.
    EXPECT_EQ(Parameters("http://host/path/page.html#a/b"), "a/b|http://host/path/page.html#a/");
    // "http://" anywhere will do, case-sensitively.
    EXPECT_EQ(Parameters("https://host/r?u=http://x/#k=1"), "k=1|https://host/r?u=http://x/");
    const std::string chinese = Cp936(L"http://host/\u8DEF\u5F84/\u9875.html#k=\u503C");
    EXPECT_EQ(Parameters(chinese), Cp936(L"k=\u503C|http://host/\u8DEF\u5F84/"));
}

TEST(HandOverAddress, OtherAddressesHandNothingOver) {
    EXPECT_EQ(Parameters("http://host/path/page.html"), std::nullopt);
    EXPECT_EQ(Parameters("https://host/path/page.html#k=1"), std::nullopt);
    EXPECT_EQ(Parameters("HTTP://host/path/page.html#k=1"), std::nullopt);
    EXPECT_EQ(Parameters("C:\\x\\y.html#k=1"), std::nullopt);
    EXPECT_EQ(Parameters("file:///C:/x/y.html#k=1"), std::nullopt);
    EXPECT_EQ(Parameters(""), std::nullopt);
    // "h" after a lead byte is a trail byte: there is no "http://" here.
    EXPECT_EQ(Parameters("\x81http://x/#k"), std::nullopt);
}

TEST(HandOverAddress, SearchesStopAtCharacterStarts) {
    // 0x5C is a trail byte in code page 936: "\x81\x5C" is one character.
    EXPECT_EQ(FindLastCharacter("a\\\x81\x5C", '\\', &Cp936Lead), 1u);
    EXPECT_EQ(FindAtCharacter("ab\x81\x40"
                              "ab",
                              "ab", &Cp936Lead),
              0u);
    EXPECT_EQ(FindAtCharacter("x\x81"
                              "abab",
                              "ab", &Cp936Lead),
              4u);
    EXPECT_EQ(FindAtCharacter("abc", "", &Cp936Lead), 0u);
    EXPECT_EQ(FindAtCharacter("ab", "abc", &Cp936Lead), std::string::npos);
    // A lead byte at the very end stands alone.
    EXPECT_EQ(FindLastCharacter("a/\x81", '/', &Cp936Lead), 1u);
}

} // namespace
