#include "DpiScale.h"
#include "PixelScaling.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

// An opaque grey of `level`.
constexpr std::uint32_t Grey(std::uint32_t level) {
    return 0xFF000000u | level << 16 | level << 8 | level;
}

struct Image {
    int width, height;
    std::vector<std::uint32_t> pixels;
    Image(int w, int h, std::vector<std::uint32_t> p = {})
        : width(w), height(h), pixels(p.empty() ? std::vector<std::uint32_t>(w * h) : p) {}
    PixelBlock Block() { return {pixels.data(), width, height}; }
};

Image Scaled(Image from, int numerator, int denominator) {
    Image to(ScaleBy(from.width, numerator, denominator),
             ScaleBy(from.height, numerator, denominator));
    ScalePixels(from.Block(), to.Block(), numerator, denominator);
    return to;
}

} // namespace

TEST(PixelScaling, OneIsACopyTwiceAndThreeQuartersHaveFixedWeights) {
    struct Row {
        int numerator, denominator;
        std::vector<std::uint32_t> from, to;
    };
    const Row rows[] = {
        {1, 1, {Grey(1), Grey(2), Grey(3)}, {Grey(1), Grey(2), Grey(3)}},
        // 3/4 and 1/4 of the two nearest; the edge pixel stands for what is beyond.
        {2, 1, {Grey(0), Grey(200)}, {Grey(0), Grey(50), Grey(150), Grey(200)}},
        // The area covered: 3/4 and 1/4, 1/2 and 1/2, 1/4 and 3/4.
        {3, 4, {Grey(0), Grey(200), Grey(100), Grey(40)}, {Grey(50), Grey(150), Grey(55)}},
        // Longer rows, where the fixed weights repeat.
        {2,
         1,
         {Grey(0), Grey(200), Grey(100), Grey(40)},
         {Grey(0), Grey(50), Grey(150), Grey(175), Grey(125), Grey(85), Grey(55), Grey(40)}},
        {3,
         4,
         {Grey(0), Grey(200), Grey(100), Grey(40), Grey(8), Grey(16), Grey(240), Grey(4)},
         {Grey(50), Grey(150), Grey(55), Grey(10), Grey(128), Grey(63)}},
        // Alpha is weighed as the colours are.
        {2, 1, {0x00000000, 0xC8C8C8C8}, {0x00000000, 0x32323232, 0x96969696, 0xC8C8C8C8}},
    };
    for (const Row& row : rows) {
        // The same along a row and down a column (the first of each).
        const int length = static_cast<int>(row.from.size());
        const Image across = Scaled(Image(length, 1, row.from), row.numerator, row.denominator);
        const Image down = Scaled(Image(1, length, row.from), row.numerator, row.denominator);
        std::vector<std::uint32_t> firstRow(across.pixels.begin(),
                                            across.pixels.begin() + across.width);
        std::vector<std::uint32_t> firstColumn;
        for (int y = 0; y < down.height; ++y)
            firstColumn.push_back(down.pixels[y * down.width]);
        EXPECT_EQ(firstRow, row.to) << row.numerator << "/" << row.denominator;
        EXPECT_EQ(firstColumn, row.to) << row.numerator << "/" << row.denominator;
    }
}

TEST(PixelScaling, AtEveryScaleOpaqueStaysOpaqueAndColourNeverExceedsAlpha) {
    // Odd lengths included: there a target pixel reaches half a pixel past
    // the source, which the sanitizer would catch being read.
    std::mt19937 random(7);
    for (const auto& [width, height] : {std::pair{21, 9}, {42, 42}, {5, 1}, {1, 6}, {64, 31}}) {
        Image opaque(width, height), soft(width, height);
        for (std::size_t i = 0; i < soft.pixels.size(); ++i) {
            const std::uint32_t alpha = random() % 256;
            const std::uint32_t colour = random() % (alpha + 1);
            soft.pixels[i] = alpha << 24 | colour << 16 | (alpha - colour) << 8 | colour / 2;
            opaque.pixels[i] = 0xFF000000u | (random() & 0xFFFFFF);
        }
        for (const auto& [numerator, denominator] :
             {std::pair{120, 96}, {144, 96}, {168, 96}, {192, 96}, {144, 192}, {168, 192}}) {
            for (std::uint32_t pixel : Scaled(opaque, numerator, denominator).pixels)
                ASSERT_EQ(pixel >> 24, 255u) << width << "x" << height << " at " << numerator;
            for (std::uint32_t pixel : Scaled(soft, numerator, denominator).pixels)
                for (int shift : {0, 8, 16})
                    ASSERT_LE((pixel >> shift) & 0xFF, pixel >> 24)
                        << width << "x" << height << " at " << numerator;
        }
    }
}

TEST(PixelScaling, StretchingPutsTheWholeImageOntoTheWholeTarget) {
    Image from(2, 2, {Grey(0), Grey(100), Grey(200), Grey(40)});
    // Twice across and down is the fixed-weight doubling.
    Image twice(4, 4);
    StretchPixels(from.Block(), twice.Block());
    EXPECT_EQ(twice.pixels, Scaled(from, 2, 1).pixels);
    // Shrunk to one pixel, the mean of all four.
    Image one(1, 1);
    StretchPixels(from.Block(), one.Block());
    EXPECT_EQ(one.pixels[0], Grey(85));
    // Only across: each row keeps its own pixels at the ends.
    Image wide(9, 2);
    StretchPixels(from.Block(), wide.Block());
    EXPECT_EQ(wide.pixels[0], Grey(0));
    EXPECT_EQ(wide.pixels[17], Grey(40));
}

TEST(PixelScaling, PremultiplyingRoundsToTheNearestForEveryColourAndAlpha) {
    Image pixels(256, 256);
    for (std::uint32_t alpha = 0; alpha < 256; ++alpha)
        for (std::uint32_t colour = 0; colour < 256; ++colour)
            pixels.pixels[alpha * 256 + colour] = alpha << 24 | colour << 16 | colour << 8 | colour;
    Premultiply(pixels.Block());
    for (std::uint32_t alpha = 0; alpha < 256; ++alpha)
        for (std::uint32_t colour = 0; colour < 256; ++colour) {
            const std::uint32_t expected = (colour * alpha + 127) / 255;
            ASSERT_EQ(pixels.pixels[alpha * 256 + colour],
                      alpha << 24 | expected << 16 | expected << 8 | expected)
                << colour << " at alpha " << alpha;
        }
}
