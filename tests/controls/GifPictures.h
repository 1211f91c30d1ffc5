#pragma once
// Decodable GIF files put together byte by byte: the block helpers of the
// native tests, plus a logical screen with a real palette and images with
// real, LZW-encoded pixels.

#include "GifBuilder.h"

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

// Palette of every test GIF: index 0 to 3.
inline constexpr COLORREF kGifRed = RGB(255, 0, 0);
inline constexpr COLORREF kGifBlue = RGB(0, 0, 255);
inline constexpr COLORREF kGifGreen = RGB(0, 255, 0);
inline constexpr COLORREF kGifWhite = RGB(255, 255, 255);

// "GIF89a", a logical screen of width x height and the four-colour palette.
Bytes GifScreen(int width, int height);
// An image at (left, top) of width x height, every pixel `index`.
Bytes GifImage(int left, int top, int width, int height, int index);
// An image whose pixels are given row by row (width x height indices).
Bytes GifImage(int left, int top, int width, int height, const std::vector<int>& indices);
// A graphic control extension that also marks `transparentIndex` transparent.
Bytes TransparentControl(int delay, int disposal, int transparentIndex);

inline std::string AsString(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}
