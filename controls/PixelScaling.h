#pragma once
// Scaling premultiplied 32-bit pixels for the display, free of window types so
// that it also builds natively. A target pixel is a weighted mean of source
// pixels with non-negative weights, so colour never exceeds alpha where it
// did not before, and the edges are clamped: a target pixel that reaches past
// the source takes the edge pixel there, so opaque edges stay opaque.

#include <cstdint>

// Pixels 0xAARRGGBB, colour premultiplied by alpha, rows top to bottom with
// no gap between them.
struct PixelBlock {
    std::uint32_t* pixels;
    int width;
    int height;
};

// Fills `to` with `from` scaled by numerator / denominator in both
// directions, from the top-left corners: a copy at 1; at 2 each target pixel
// takes 3/4 of its nearest source pixel and 1/4 of the next in each
// direction, at 3/4 the area it covers (3/4 and 1/4, 1/2 and 1/2, 1/4 and
// 3/4); otherwise the same separable filters with weights for the scale
// (enlarged: the two nearest source pixels by their distance; reduced: the
// area covered). Weights are counted in 256ths.
void ScalePixels(const PixelBlock& from, const PixelBlock& to, int numerator, int denominator);

// Multiplies the colour of each pixel of `pixels` by its alpha, rounded to
// the nearest: straight alpha as decoders give it, premultiplied as the
// scaling and the screen take it.
void Premultiply(const PixelBlock& pixels);

// Fills `to` with the whole of `from`, stretched or shrunk in each direction
// to its size, with the same filters.
void StretchPixels(const PixelBlock& from, const PixelBlock& to);
