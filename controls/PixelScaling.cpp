#include "PixelScaling.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// The source pixels and weights of every target pixel along one direction:
// `taps` of each, unused ones with weight 0.
struct AxisFilter {
    int taps = 1;
    std::vector<int> index;
    std::vector<std::uint32_t> weight;
    bool IsCopy() const {
        for (std::size_t i = 0; i < index.size(); ++i)
            if (index[i] != static_cast<int>(i) || weight[i] != 256)
                return false;
        return true;
    }
};

// The filter without the taps that every target pixel weighs 0 (the area a
// pixel covers spans one source pixel fewer than it may).
AxisFilter Trimmed(const AxisFilter& filter) {
    const std::size_t pixels = filter.index.size() / filter.taps;
    int taps = 1;
    for (std::size_t i = 0; i < pixels; ++i)
        for (int t = filter.taps - 1; t >= taps; --t)
            if (filter.weight[i * filter.taps + t] != 0)
                taps = t + 1;
    if (taps == filter.taps)
        return filter;
    AxisFilter trimmed;
    trimmed.taps = taps;
    for (std::size_t i = 0; i < pixels; ++i)
        for (int t = 0; t < taps; ++t) {
            trimmed.index.push_back(filter.index[i * filter.taps + t]);
            trimmed.weight.push_back(filter.weight[i * filter.taps + t]);
        }
    return trimmed;
}

// Target pixel i of `to` shows the source around (i + 0.5) * from/to - 0.5
// with scale = numerator / denominator; `from` pixels exist.
AxisFilter MakeFilter(int from, int to, double scale) {
    AxisFilter filter;
    const double step = 1.0 / scale; // source pixels per target pixel
    filter.taps = scale >= 1.0 ? 2 : static_cast<int>(std::ceil(step)) + 1;
    filter.index.assign(static_cast<std::size_t>(to) * filter.taps, 0);
    filter.weight.assign(filter.index.size(), 0);
    std::vector<double> weights(static_cast<std::size_t>(filter.taps));
    for (int i = 0; i < to; ++i) {
        int first = 0;
        if (scale >= 1.0) {
            // The two nearest source pixels, by their distance.
            const double centre = (i + 0.5) * step - 0.5;
            first = static_cast<int>(std::floor(centre));
            const double fraction = centre - first;
            weights[0] = 1.0 - fraction;
            weights[1] = fraction;
        } else {
            // The area of each source pixel the target pixel covers.
            const double start = i * step;
            const double end = start + step;
            first = static_cast<int>(std::floor(start));
            for (int t = 0; t < filter.taps; ++t) {
                const double low = std::max(start, double(first + t));
                const double high = std::min(end, double(first + t + 1));
                weights[t] = std::max(0.0, high - low) / step;
            }
        }
        // In 256ths that add up to 256 exactly; the largest takes the rest.
        std::uint32_t* weight = &filter.weight[static_cast<std::size_t>(i) * filter.taps];
        int* index = &filter.index[static_cast<std::size_t>(i) * filter.taps];
        std::uint32_t sum = 0;
        int largest = 0;
        for (int t = 0; t < filter.taps; ++t) {
            weight[t] = static_cast<std::uint32_t>(std::lround(weights[t] * 256));
            sum += weight[t];
            if (weight[t] > weight[largest])
                largest = t;
            index[t] = std::clamp(first + t, 0, from - 1);
        }
        weight[largest] += 256 - sum;
    }
    return Trimmed(filter);
}

// A pixel weighed in 256ths, two channels at a time in 16-bit lanes: red and
// blue in one word, alpha and green in the other.
struct WeighedSum {
    std::uint32_t redBlue = 0;
    std::uint32_t alphaGreen = 0;
    void Add(std::uint32_t pixel, std::uint32_t weight) {
        redBlue += (pixel & 0x00FF00FF) * weight;
        alphaGreen += ((pixel >> 8) & 0x00FF00FF) * weight;
    }
    // Rounded back to 8 bits a channel.
    std::uint32_t Pixel() const {
        return (((redBlue + 0x00800080) >> 8) & 0x00FF00FF) |
               ((alphaGreen + 0x00800080) & 0xFF00FF00);
    }
};

// Each row of `from` into the row of `to` beside it, across.
void FilterAcross(const PixelBlock& from, const PixelBlock& to, const AxisFilter& across) {
    const int taps = across.taps;
    for (int y = 0; y < to.height; ++y) {
        const std::uint32_t* source = from.pixels + static_cast<std::size_t>(y) * from.width;
        std::uint32_t* target = to.pixels + static_cast<std::size_t>(y) * to.width;
        const int* index = across.index.data();
        const std::uint32_t* weight = across.weight.data();
        for (int x = 0; x < to.width; ++x, index += taps, weight += taps) {
            WeighedSum sum;
            sum.Add(source[index[0]], weight[0]);
            for (int t = 1; t < taps; ++t)
                sum.Add(source[index[t]], weight[t]);
            target[x] = sum.Pixel();
        }
    }
}

// Two pixels' channels in 16-bit lanes, weighed at once (the compiler's
// vector extensions: SSE2 on x86).
using Lanes = std::uint16_t __attribute__((vector_size(16)));
using LaneBytes = std::uint8_t __attribute__((vector_size(8)));

inline Lanes LoadTwo(const std::uint32_t* pixels) {
    LaneBytes bytes;
    std::memcpy(&bytes, pixels, sizeof(bytes));
    return __builtin_convertvector(bytes, Lanes);
}

// The rows of `to` from rows of `from` of the same width, down: every pixel
// of a target row has the same taps.
void FilterDown(const PixelBlock& from, const PixelBlock& to, const AxisFilter& down) {
    const std::size_t width = static_cast<std::size_t>(to.width);
    std::vector<const std::uint32_t*> rows(static_cast<std::size_t>(down.taps));
    std::vector<std::uint16_t> weights(rows.size());
    for (int y = 0; y < to.height; ++y) {
        const std::size_t first = static_cast<std::size_t>(y) * down.taps;
        int taps = 0;
        for (int t = 0; t < down.taps; ++t) {
            if (down.weight[first + t] == 0)
                continue;
            rows[taps] = from.pixels + static_cast<std::size_t>(down.index[first + t]) * width;
            weights[taps++] = static_cast<std::uint16_t>(down.weight[first + t]);
        }
        std::uint32_t* target = to.pixels + static_cast<std::size_t>(y) * width;
        std::size_t x = 0;
        for (; x + 2 <= width; x += 2) {
            Lanes sum = LoadTwo(rows[0] + x) * weights[0];
            for (int t = 1; t < taps; ++t)
                sum += LoadTwo(rows[t] + x) * weights[t];
            const LaneBytes bytes = __builtin_convertvector((sum + 128) >> 8, LaneBytes);
            std::memcpy(target + x, &bytes, sizeof(bytes));
        }
        for (; x < width; ++x) {
            WeighedSum sum;
            for (int t = 0; t < taps; ++t)
                sum.Add(rows[t][x], weights[t]);
            target[x] = sum.Pixel();
        }
    }
}

void Filter(const PixelBlock& from, const PixelBlock& to, const AxisFilter& across,
            const AxisFilter& down) {
    if (to.width <= 0 || to.height <= 0 || from.width <= 0 || from.height <= 0)
        return;
    if (across.IsCopy() && down.IsCopy()) {
        for (int y = 0; y < to.height; ++y)
            std::memcpy(to.pixels + static_cast<std::size_t>(y) * to.width,
                        from.pixels + static_cast<std::size_t>(y) * from.width,
                        4 * static_cast<std::size_t>(to.width));
        return;
    }
    // Across is the slower direction (each pixel finds its own sources): it
    // goes over the fewer rows, before enlarging down or after reducing.
    if (to.height >= from.height) {
        std::unique_ptr<std::uint32_t[]> rows(
            new std::uint32_t[static_cast<std::size_t>(to.width) * from.height]);
        const PixelBlock between{rows.get(), to.width, from.height};
        FilterAcross(from, between, across);
        FilterDown(between, to, down);
    } else {
        std::unique_ptr<std::uint32_t[]> rows(
            new std::uint32_t[static_cast<std::size_t>(from.width) * to.height]);
        const PixelBlock between{rows.get(), from.width, to.height};
        FilterDown(from, between, down);
        FilterAcross(between, to, across);
    }
}

} // namespace

void ScalePixels(const PixelBlock& from, const PixelBlock& to, int numerator, int denominator) {
    if (numerator <= 0 || denominator <= 0)
        return;
    const double scale = static_cast<double>(numerator) / denominator;
    Filter(from, to, MakeFilter(from.width, to.width, scale),
           MakeFilter(from.height, to.height, scale));
}

void StretchPixels(const PixelBlock& from, const PixelBlock& to) {
    if (from.width <= 0 || from.height <= 0)
        return;
    Filter(from, to, MakeFilter(from.width, to.width, double(to.width) / from.width),
           MakeFilter(from.height, to.height, double(to.height) / from.height));
}
