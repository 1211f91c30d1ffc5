#include "ReferenceSplit.h"
#include "TextLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using Lines = std::vector<std::string>;

constexpr int kCharWidth = 10;

// Every character 10 wide, a double-byte one 20, as in a fixed-pitch font.
// Line breaks are measured like any character, so a splitter that measures
// them shows it.
int FixedWidth(std::string_view text) {
    int width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool wide = IsCp936LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
        width += wide ? 2 * kCharWidth : kCharWidth;
        i += wide ? 1 : 0;
    }
    return width;
}

Lines Split(std::string_view text, int columns) {
    return SplitTextLines(text, columns * kCharWidth, FixedWidth);
}

// 你好世界, two columns each.
constexpr char kNiHao[] = "\xC4\xE3\xBA\xC3";
constexpr char kShiJie[] = "\xCA\xC0\xBD\xE7";

TEST(TextLayout, WrapsAtTheLastSpaceThatFits) {
    EXPECT_EQ((Lines{"the quick", "brown fox"}), Split("the quick brown fox", 12));
}

TEST(TextLayout, LineEndingAtASpaceKeepsIt) {
    EXPECT_EQ((Lines{"the quick ", "brown fox"}), Split("the quick brown fox", 10));
}

TEST(TextLayout, CutsAWordLongerThanTheWidth) {
    EXPECT_EQ((Lines{"xy", "abcd", "efgh", "ij"}), Split("xy abcdefghij", 4));
}

TEST(TextLayout, LineBreakPairs) {
    EXPECT_EQ((Lines{"ab", "", "cd"}), Split("ab\r\n\r\ncd", 10));
    EXPECT_EQ((Lines{"ab", "cd"}), Split("ab\n\rcd", 10));
    EXPECT_EQ((Lines{"ab"}), Split("ab\r\n", 10));
    EXPECT_EQ(Lines{}, Split("", 10));
}

TEST(TextLayout, LoneCarriageReturnOrLineFeedEndsALine) {
    EXPECT_EQ((Lines{"ab", "cd", "", "ef"}), Split("ab\rcd\n\nef", 10));
}

TEST(TextLayout, LineFillingTheWidthBeforeABreakAddsNoEmptyLine) {
    EXPECT_EQ((Lines{"abcd", "ef"}), Split("abcd\r\nef", 4));
}

TEST(TextLayout, NeverSplitsADoubleByteCharacter) {
    std::string text = std::string(kNiHao) + kShiJie;
    EXPECT_EQ((Lines{kNiHao, kShiJie}), Split(text, 5));
    EXPECT_EQ((Lines{"a\xC4\xE3", "\xBA\xC3"}), Split("a" + std::string(kNiHao), 4));
}

TEST(TextLayout, CharacterWiderThanTheControlGetsALineOfItsOwn) {
    EXPECT_EQ((Lines{"a", "b", "c"}), SplitTextLines("ab\r\nc", kCharWidth / 2, FixedWidth));
    EXPECT_EQ((Lines{"a", "b"}), SplitTextLines("ab", -1, FixedWidth));
    EXPECT_EQ((Lines{"\xC4\xE3", "a"}), Split(std::string("\xC4\xE3") + "a", 1));
}

// A splitter that measured every candidate length would make one call per
// character; bisection makes a few per line.
TEST(TextLayout, MeasuresAFewTimesPerLine) {
    std::string text;
    while (text.size() < 2000)
        text += "word ";
    int calls = 0;
    auto counting = [&calls](std::string_view piece) {
        ++calls;
        return FixedWidth(piece);
    };
    const int columns = 40;
    Lines lines = SplitTextLines(text, columns * kCharWidth, counting);
    ASSERT_EQ(50u, lines.size());
    int perLine = 2 * static_cast<int>(std::log2(columns)) + 3;
    EXPECT_LE(calls, static_cast<int>(lines.size()) * perLine);
}

TEST(TextLayout, AgreesWithTheCharacterByCharacterReading) {
    const std::string pieces[] = {"a", "b", "W", " ", " ", "\r", "\n", kNiHao, "\x81"};
    std::mt19937 random(4);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int length = random() % 40; length > 0; --length)
            text += pieces[random() % std::size(pieces)];
        int width = static_cast<int>(random() % 60) - 2;
        ASSERT_EQ(ReferenceSplit(text, width, ByteWeightedWidth),
                  SplitTextLines(text, width, ByteWeightedWidth))
            << '"' << text << "\" width " << width;
    }
}

} // namespace
