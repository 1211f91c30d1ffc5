#include "GifBlocks.h"
#include "GifBuilder.h"

#include <gtest/gtest.h>

namespace {

std::vector<GifFrame> Cut(const Bytes& gif) {
    return CutGifFrames(GifData(gif));
}

std::size_t Count(const Bytes& gif) {
    return CountGifFrames(GifData(gif));
}

Bytes Prefix(const Bytes& gif, std::size_t length) {
    return Bytes(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(length));
}

TEST(GifBlocks, IsGifLooksAtTheFirstThreeBytesOnly) {
    EXPECT_TRUE(IsGif(GifData(Bytes{'G', 'I', 'F'})));
    EXPECT_FALSE(IsGif(GifData(Bytes{'G', 'I', 'X', '8', '9', 'a'})));
    EXPECT_FALSE(IsGif(GifData(Bytes{'G', 'I'})));
}

TEST(GifBlocks, ReadsTheLogicalScreen) {
    std::optional<GifScreen> screen = ReadGifScreen(GifData(Header(65535, 300, 2) + Trailer()));
    ASSERT_TRUE(screen);
    EXPECT_EQ(65535, screen->width);
    EXPECT_EQ(300, screen->height);
    EXPECT_EQ(24u, screen->colourTableBytes);
}

TEST(GifBlocks, RejectsAScreenCutShortOrAColourTableLargerThanTheFile) {
    EXPECT_FALSE(ReadGifScreen(GifData(Prefix(Header(1, 1, -1), 12))));
    Bytes bigTable = Header(1, 1, 7); // 768 bytes announced
    EXPECT_FALSE(ReadGifScreen(GifData(Prefix(bigTable, bigTable.size() - 1))));
    EXPECT_EQ(0u, Count(Prefix(bigTable, 40)));
}

TEST(GifBlocks, GifWithoutAnImageHasNoFrames) {
    EXPECT_EQ(0u, Count(Header(1, 1) + Trailer()));
    EXPECT_EQ(0u, Count(Header(1, 1) + Application() + Comment("x") + GraphicControl(5, 0) +
                        Trailer() + Image(0, 0, 1, 1)));
}

TEST(GifBlocks, SkipsExtensionsBetweenFrames) {
    Bytes gif = Header(4, 4) + Application() + Image(0, 0, 4, 4) + Comment("c") +
                GraphicControl(5, 0) + Comment("d") + Application() + Image(0, 0, 4, 4) + Trailer();
    EXPECT_EQ(2u, Count(gif));
    EXPECT_EQ(2u, Cut(gif).size());
}

TEST(GifBlocks, FramesCarryRectangleDelayAndDisposal) {
    Bytes gif = Header(40, 30) + GraphicControl(0, 0) + Image(0, 0, 40, 30) + GraphicControl(4, 1) +
                Image(1, 2, 3, 4) + GraphicControl(5, 2) + Image(5, 6, 7, 8) +
                GraphicControl(20, 3) + Image(9, 10, 11, 12) + Trailer();
    std::vector<GifFrame> frames = Cut(gif);
    ASSERT_EQ(4u, frames.size());
    const unsigned delays[] = {100, 100, 50, 200};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(delays[i], frames[i].delayMs) << i;
        EXPECT_EQ(i, frames[i].disposal) << i;
    }
    EXPECT_EQ((std::vector{9, 10, 11, 12}),
              (std::vector{frames[3].left, frames[3].top, frames[3].width, frames[3].height}));
}

TEST(GifBlocks, StandaloneGifIsScreenThenTheFrameBlocksThenTrailer) {
    Bytes head = Header(8, 8, 1);
    Bytes second = GraphicControl(7, 2) + Comment("kept") + Image(2, 2, 4, 4, 0);
    Bytes gif =
        head + GraphicControl(5, 0) + Image(0, 0, 8, 8) + Comment("dropped") + second + Trailer();
    std::vector<GifFrame> frames = Cut(gif);
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(head + second + Trailer(), frames[1].standaloneGif);
    EXPECT_EQ(70u, frames[1].delayMs);
}

TEST(GifBlocks, FrameWithoutGraphicControlPlaysTheDefaultDelay) {
    Bytes head = Header(8, 8);
    std::vector<GifFrame> frames = Cut(head + Image(1, 1, 2, 2) + Trailer());
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(kDefaultGifDelayMs, frames[0].delayMs);
    EXPECT_EQ(0, frames[0].disposal);
    EXPECT_EQ(head + Image(1, 1, 2, 2) + Trailer(), frames[0].standaloneGif);
}

TEST(GifBlocks, FirstOfSeveralGraphicControlsGivesTheTiming) {
    std::vector<GifFrame> frames =
        Cut(Header(8, 8) + GraphicControl(30, 3) + GraphicControl(60, 1) + Image(0, 0, 8, 8));
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(300u, frames[0].delayMs);
    EXPECT_EQ(3, frames[0].disposal);
}

TEST(GifBlocks, PlainTextFrameCoversTheLogicalScreen) {
    std::vector<GifFrame> frames =
        Cut(Header(65535, 65535) + GraphicControl(10, 2) + PlainText() + Trailer());
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ((std::vector{0, 0, 65535, 65535}),
              (std::vector{frames[0].left, frames[0].top, frames[0].width, frames[0].height}));
}

TEST(GifBlocks, ZeroSizeFrameIsReportedAsItIs) {
    std::vector<GifFrame> frames = Cut(Header(8, 8) + Image(3, 3, 0, 0) + Image(0, 0, 8, 8));
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(0, frames[0].width);
    EXPECT_EQ(0, frames[0].height);
}

TEST(GifBlocks, UnknownBlockEndsTheWalk) {
    EXPECT_EQ(1u, Count(Header(8, 8) + Image(0, 0, 8, 8) + Bytes{0x21, 0x02} + Image(0, 0, 8, 8) +
                        Trailer()));
}

TEST(GifBlocks, DataChainRunningOffTheEndIsNoFrame) {
    Bytes frame = Image(0, 0, 8, 8);
    Bytes runaway = Prefix(frame, 11) + Bytes{0xFF, 1, 2, 3};
    EXPECT_EQ(1u, Count(Header(8, 8) + frame + runaway + Trailer()));
    EXPECT_EQ(0u, Count(Header(8, 8) + Comment("x") + Bytes{0x21, 0xFE, 0x09} + Trailer()));
}

TEST(GifBlocks, LocalColourTableLargerThanTheFileIsNoFrame) {
    Bytes frame = Image(0, 0, 8, 8, 7);
    EXPECT_EQ(1u, Count(Header(8, 8) + frame));
    EXPECT_EQ(0u, Count(Header(8, 8) + Prefix(frame, 300)));
}

// Only frames whose blocks are complete count, whatever the cut.
TEST(GifBlocks, FileCutAtAnyOffsetKeepsItsCompleteFrames) {
    Bytes gif = Header(16, 16, 1);
    std::vector<std::size_t> frameEnds;
    for (Bytes frame : {Application() + GraphicControl(3, 2) + Image(0, 0, 16, 16),
                        Comment("c") + GraphicControl(9, 3) + Comment("d") + Image(1, 1, 2, 2, 1),
                        PlainText(), GraphicControl(4, 0) + Image(4, 4, 4, 4)}) {
        gif += frame;
        frameEnds.push_back(gif.size());
    }
    std::vector<GifFrame> whole = Cut(gif + Trailer());
    ASSERT_EQ(frameEnds.size(), whole.size());
    for (std::size_t length = 0; length <= gif.size(); ++length) {
        std::size_t complete = 0;
        while (complete < frameEnds.size() && frameEnds[complete] <= length)
            ++complete;
        std::vector<GifFrame> frames = Cut(Prefix(gif, length));
        ASSERT_EQ(complete, frames.size()) << length;
        ASSERT_EQ(complete, Count(Prefix(gif, length))) << length;
        for (std::size_t i = 0; i < complete; ++i)
            ASSERT_EQ(whole[i].standaloneGif, frames[i].standaloneGif) << length;
    }
}

TEST(GifBlocks, FrameCountIsCapped) {
    Bytes gif = Header(65535, 65535, 7);
    for (int i = 0; i < 10000; ++i)
        gif += GraphicControl(i, 2) + Image(0, 0, 1, 1);
    EXPECT_EQ(kMaxGifFrames, Count(gif + Trailer()));
    std::vector<GifFrame> frames = Cut(gif + Trailer());
    ASSERT_EQ(kMaxGifFrames, frames.size());
    EXPECT_EQ((kMaxGifFrames - 1) * 10, frames.back().delayMs);
}

} // namespace

// Decoders read the palette of a frame without looking whether there is one.
TEST(GifBlocks, FrameWithoutAnyColourTableIsNoFrame) {
    const Bytes bare = Image(0, 0, 1, 1), local = Image(0, 0, 1, 1, 0);
    Bytes gif =
        Header(1, 1, -1) + bare + GraphicControl(5, 0) + local + PlainText() + bare + Trailer();
    EXPECT_EQ(1u, Count(gif));
    EXPECT_EQ(3u, CountGifFramesWithoutColourTable(GifData(gif)));
    std::vector<GifFrame> frames = Cut(gif);
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(Header(1, 1, -1) + GraphicControl(5, 0) + local + Trailer(), frames[0].standaloneGif);
    // With the file's table, every frame has one.
    EXPECT_EQ(0u, CountGifFramesWithoutColourTable(GifData(Header(1, 1) + bare + PlainText())));
}
