// Narrow/wide conversions and multibyte-aware searches.

#include "TextConversion.h"

#include <gtest/gtest.h>

TEST(TextConversion, RoundTripsCodePage936IncludingEmbeddedNul) {
    const std::string narrow("\xC4\xE3\xBA\xC3\0x", 6); // "你好", NUL, "x"
    std::wstring wide = ToWide(narrow, 936);
    EXPECT_EQ(wide, std::wstring(L"\u4F60\u597D\0x", 4));
    EXPECT_EQ(ToNarrow(wide, 936), narrow);
}

TEST(TextConversion, Utf8BuffersAreSizedByTheConversion) {
    std::wstring wide(1000, L'\u4E2D');
    std::string utf8 = ToNarrow(wide, CP_UTF8);
    EXPECT_EQ(utf8.size(), 3000u);
    EXPECT_EQ(ToWide(utf8, CP_UTF8), wide);
}

TEST(TextConversion, NullAndEmptyGiveEmptyText) {
    EXPECT_EQ(BstrToNarrow(nullptr), "");
    EXPECT_EQ(ToWide(""), L"");
    BSTR withNul = ::SysAllocStringLen(L"a\0b", 3);
    EXPECT_EQ(BstrToNarrow(withNul, 936), std::string("a\0b", 3));
    ::SysFreeString(withNul);
}

TEST(MbcsSearch, TrailBytesAreNeverTakenForTheCharacterSought) {
    // 0x5C ('\\') is a valid trail byte in code page 936: "\x81\x5C" is one character.
    const std::string path = "C:\\dir\\\x81\x5C";
    EXPECT_EQ(MbcsFindLast(path, '\\', 936), 6u);
    EXPECT_EQ(MbcsFindFirst("\x81\x23#", '#', 936), 2u);
    EXPECT_EQ(MbcsFindFirst("\x81\x23", '#', 936), std::string::npos);
    EXPECT_EQ(MbcsFindLast("no separator", '\\', 936), std::string::npos);
    // A lead byte at the very end is taken as a character of its own.
    EXPECT_EQ(MbcsFindLast("a\\\x81", '\\', 936), 1u);
}
