#pragma once
// Display scaling, free of window types so that it also builds natively: a
// skin is drawn in pixels at 96 DPI, and a window at another DPI multiplies
// each of its lengths by DPI / 96. A skin may hold a sharper image beside
// each image, twice its size, named with "@2x" before the extension.

#include <cstdint>
#include <string>

// The DPI at which the skin's pixels are screen pixels.
constexpr int kSkinDpi = 96;
// From this DPI on (150 %) an image's "@2x" version is used where there is one.
constexpr int kTwiceSizeDpi = 144;

// `value` * numerator / denominator, rounded half away from zero and kept
// within the range of int; `value` for a denominator that is not positive.
constexpr int ScaleBy(int value, int numerator, int denominator) {
    if (denominator <= 0)
        return value;
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = denominator / 2;
    std::int64_t result =
        product >= 0 ? (product + half) / denominator : -((-product + half) / denominator);
    if (result > INT32_MAX)
        result = INT32_MAX;
    if (result < INT32_MIN)
        result = INT32_MIN;
    return static_cast<int>(result);
}

// A length of the skin in screen pixels at `dpi`.
constexpr int ScaleToDpi(int value, int dpi) {
    return ScaleBy(value, dpi, kSkinDpi);
}

// The name of an image's twice-size version: "@2x" before the extension of
// the last path element ("data\\btn.bmp" -> "data\\btn@2x.bmp"), or at the
// end when it has none.
std::string TwiceSizeName(const std::string& path);

// The name of the image `path` is the twice-size version of, or an empty
// string when its name does not end in "@2x" (before any extension).
std::string BaseNameOfTwiceSize(const std::string& path);
