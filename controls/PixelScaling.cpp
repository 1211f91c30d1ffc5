#include "PixelScaling.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <exception>
#include <thread>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// From this many target pixels on, the two halves are filtered at once.
constexpr std::size_t kSplitPixels = 256 * 1024;

// The source pixels and weights of every target pixel along one direction:
// `taps` of each, unused ones with weight 0.
struct AxisFilter {
    // Scales whose weights repeat in a short pattern, drawn by loops of
    // their own away from the edges.
    enum Pattern { kTable, kTwice, kThreeQuarters };
    Pattern pattern = kTable;
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
AxisFilter MakeFilter(int from, int to, int numerator, int denominator) {
    const double scale = static_cast<double>(numerator) / denominator;
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
    filter = Trimmed(filter);
    if (numerator == 2 * denominator)
        filter.pattern = AxisFilter::kTwice;
    else if (4 * numerator == 3 * denominator)
        filter.pattern = AxisFilter::kThreeQuarters;
    return filter;
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

// (3a + b) / 4 and (a + b) / 2 a channel, rounded as the weights in 256ths
// round them.
inline std::uint32_t ThreeToOne(std::uint32_t a, std::uint32_t b) {
    const std::uint32_t redBlue = (a & 0x00FF00FF) * 3 + (b & 0x00FF00FF) + 0x00020002;
    const std::uint32_t alphaGreen =
        ((a >> 8) & 0x00FF00FF) * 3 + ((b >> 8) & 0x00FF00FF) + 0x00020002;
    return ((redBlue >> 2) & 0x00FF00FF) | ((alphaGreen << 6) & 0xFF00FF00);
}

inline std::uint32_t Half(std::uint32_t a, std::uint32_t b) {
    const std::uint32_t redBlue = (a & 0x00FF00FF) + (b & 0x00FF00FF) + 0x00010001;
    const std::uint32_t alphaGreen = ((a >> 8) & 0x00FF00FF) + ((b >> 8) & 0x00FF00FF) + 0x00010001;
    return ((redBlue >> 1) & 0x00FF00FF) | ((alphaGreen << 7) & 0xFF00FF00);
}

#ifdef __SSE2__
// One or two pixels' channels in eight 16-bit lanes, weighed at once.
struct LaneSum {
    __m128i lanes = _mm_setzero_si128();
    // A weight in every lane.
    static __m128i Broadcast(std::uint32_t weight) {
        return _mm_shuffle_epi32(
            _mm_shufflelo_epi16(_mm_cvtsi32_si128(static_cast<int>(weight)), 0), 0);
    }
    void Add(__m128i pixels, __m128i weight) {
        const __m128i spread = _mm_unpacklo_epi8(pixels, _mm_setzero_si128());
        lanes = _mm_add_epi16(lanes, _mm_mullo_epi16(spread, weight));
    }
    void Add(std::uint32_t pixel, std::uint32_t weight) {
        Add(_mm_cvtsi32_si128(static_cast<int>(pixel)), Broadcast(weight));
    }
    void AddTwo(const std::uint32_t* pixels, __m128i weight) {
        Add(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixels)), weight);
    }
    __m128i Rounded() const {
        const __m128i shifted = _mm_srli_epi16(_mm_add_epi16(lanes, _mm_set1_epi16(128)), 8);
        return _mm_packus_epi16(shifted, shifted);
    }
    std::uint32_t Pixel() const { return static_cast<std::uint32_t>(_mm_cvtsi128_si32(Rounded())); }
    void StoreTwo(std::uint32_t* pixels) const {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(pixels), Rounded());
    }
};
using PixelSum = LaneSum;
#else
using PixelSum = WeighedSum;
#endif

// Target pixels [begin, end) of one row across by the filter's table,
// leaving out [skipFrom, skipTo); `kTaps` taps a pixel, or the filter's
// count when 0.
template <int kTaps>
void TableAcross(const std::uint32_t* source, std::uint32_t* target, const AxisFilter& across,
                 int begin, int end, int skipFrom, int skipTo) {
    const int taps = kTaps > 0 ? kTaps : across.taps;
    for (int x = begin; x < end; ++x) {
        if (x == skipFrom && skipTo > skipFrom) {
            x = skipTo - 1;
            continue;
        }
        const int* index = &across.index[static_cast<std::size_t>(x) * taps];
        const std::uint32_t* weight = &across.weight[static_cast<std::size_t>(x) * taps];
        PixelSum sum;
        for (int t = 0; t < taps; ++t)
            sum.Add(source[index[t]], weight[t]);
        target[x] = sum.Pixel();
    }
}

// One row across, from `source` (`width` pixels) into `target`.
void FilterAcross(const std::uint32_t* source, int width, std::uint32_t* target,
                  const AxisFilter& across) {
    const int length = static_cast<int>(across.index.size()) / across.taps;
    // Where the repeating pattern reads inside the source only.
    int from = 0, to = 0;
    if (across.pattern == AxisFilter::kTwice) {
        from = 2;
        to = std::max(from, 2 * (width - 1));
        for (int i = 1; i < width - 1; ++i) {
            target[2 * i] = ThreeToOne(source[i], source[i - 1]);
            target[2 * i + 1] = ThreeToOne(source[i], source[i + 1]);
        }
    } else if (across.pattern == AxisFilter::kThreeQuarters) {
        to = 3 * (width / 4);
        for (int i = 0, x = 0; x < to; i += 4, x += 3) {
            target[x] = ThreeToOne(source[i], source[i + 1]);
            target[x + 1] = Half(source[i + 1], source[i + 2]);
            target[x + 2] = ThreeToOne(source[i + 3], source[i + 2]);
        }
    }
    // Two taps (every enlargement, and reductions to more than half) unrolled.
    if (across.taps == 2)
        TableAcross<2>(source, target, across, 0, length, from, to);
    else
        TableAcross<0>(source, target, across, 0, length, from, to);
}

// One row down: `width` pixels weighed from the rows `rows`, one weight each.
void FilterDown(const std::uint32_t* const* rows, const std::uint16_t* weights, int taps,
                std::uint32_t* target, int width) {
    int x = 0;
#ifdef __SSE2__
    __m128i broadcast[2];
    if (taps == 2) {
        // Both rows' weights ready in every lane: the common case, unrolled.
        broadcast[0] = LaneSum::Broadcast(weights[0]);
        broadcast[1] = LaneSum::Broadcast(weights[1]);
        for (; x + 2 <= width; x += 2) {
            LaneSum sum;
            sum.AddTwo(rows[0] + x, broadcast[0]);
            sum.AddTwo(rows[1] + x, broadcast[1]);
            sum.StoreTwo(target + x);
        }
    }
    for (; x + 2 <= width; x += 2) {
        LaneSum sum;
        for (int t = 0; t < taps; ++t)
            sum.AddTwo(rows[t] + x, LaneSum::Broadcast(weights[t]));
        sum.StoreTwo(target + x);
    }
#endif
    for (; x < width; ++x) {
        WeighedSum sum;
        for (int t = 0; t < taps; ++t)
            sum.Add(rows[t][x], weights[t]);
        target[x] = sum.Pixel();
    }
}

// Target rows [first, last), row by row, so that only a few rows are ever
// held between the two directions: new memory is slow to touch. Across goes
// over the fewer rows (each of its pixels finds its own sources): first when
// enlarging down, last when reducing.
void FilterRows(const PixelBlock& from, const PixelBlock& to, const AxisFilter& across,
                const AxisFilter& down, int first, int last) {
    const std::size_t fromWidth = static_cast<std::size_t>(from.width);
    const std::size_t toWidth = static_cast<std::size_t>(to.width);
    const int taps = down.taps;
    std::vector<const std::uint32_t*> rows(static_cast<std::size_t>(taps));
    std::vector<std::uint16_t> weights(rows.size());
    const bool acrossFirst = to.height >= from.height;
    // Across first: the source rows across, one slot a row that may be
    // needed together (they follow each other). Across last: one row down.
    const std::size_t slots = acrossFirst ? static_cast<std::size_t>(taps) : 1;
    std::vector<std::uint32_t> between(slots * (acrossFirst ? toWidth : fromWidth));
    std::vector<int> slotRow(slots, -1);
    for (int y = first; y < last; ++y) {
        int used = 0;
        for (int t = 0; t < taps; ++t) {
            const std::size_t tap = static_cast<std::size_t>(y) * taps + t;
            if (down.weight[tap] == 0)
                continue;
            const int row = down.index[tap];
            weights[used] = static_cast<std::uint16_t>(down.weight[tap]);
            if (!acrossFirst) {
                rows[used++] = from.pixels + row * fromWidth;
                continue;
            }
            const std::size_t slot = static_cast<std::size_t>(row) % slots;
            std::uint32_t* kept = &between[slot * toWidth];
            if (slotRow[slot] != row) {
                FilterAcross(from.pixels + row * fromWidth, from.width, kept, across);
                slotRow[slot] = row;
            }
            rows[used++] = kept;
        }
        std::uint32_t* target = to.pixels + y * toWidth;
        if (acrossFirst) {
            FilterDown(rows.data(), weights.data(), used, target, to.width);
        } else {
            FilterDown(rows.data(), weights.data(), used, between.data(), from.width);
            FilterAcross(between.data(), from.width, target, across);
        }
    }
}

// Both directions, the second of them on a second processor for half the
// rows of a large image.
void Filter(const PixelBlock& from, const PixelBlock& to, const AxisFilter& across,
            const AxisFilter& down) {
    if (to.width <= 0 || to.height <= 0 || from.width <= 0 || from.height <= 0)
        return;
    const std::size_t fromWidth = static_cast<std::size_t>(from.width);
    const std::size_t toWidth = static_cast<std::size_t>(to.width);
    if (across.IsCopy() && down.IsCopy()) {
        for (int y = 0; y < to.height; ++y)
            std::memcpy(to.pixels + y * toWidth, from.pixels + y * fromWidth, 4 * toWidth);
        return;
    }
    const int middle = to.height / 2;
    const bool split = static_cast<std::size_t>(to.width) * to.height >= kSplitPixels &&
                       std::thread::hardware_concurrency() > 1;
    if (!split) {
        FilterRows(from, to, across, down, 0, to.height);
        return;
    }
    std::thread half;
    try {
        half = std::thread(FilterRows, std::cref(from), std::cref(to), std::cref(across),
                           std::cref(down), middle, to.height);
    } catch (const std::exception&) {
        // No second thread to be had: one does it all.
        FilterRows(from, to, across, down, 0, to.height);
        return;
    }
    // The second half reads and writes what the caller owns: it ends before
    // this returns, even when the first half fails.
    try {
        FilterRows(from, to, across, down, 0, middle);
    } catch (...) {
        half.join();
        throw;
    }
    half.join();
}

} // namespace

void ScalePixels(const PixelBlock& from, const PixelBlock& to, int numerator, int denominator) {
    if (numerator <= 0 || denominator <= 0)
        return;
    Filter(from, to, MakeFilter(from.width, to.width, numerator, denominator),
           MakeFilter(from.height, to.height, numerator, denominator));
}

void StretchPixels(const PixelBlock& from, const PixelBlock& to) {
    if (from.width <= 0 || from.height <= 0)
        return;
    Filter(from, to, MakeFilter(from.width, to.width, to.width, from.width),
           MakeFilter(from.height, to.height, to.height, from.height));
}

void Premultiply(const PixelBlock& pixels) {
    const std::size_t count = static_cast<std::size_t>(pixels.width) * pixels.height;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t pixel = pixels.pixels[i];
        const std::uint32_t alpha = pixel >> 24;
        if (alpha == 255)
            continue;
        std::uint32_t result = pixel & 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
            // (c x a + 127) / 255 without a division.
            const std::uint32_t scaled = ((pixel >> shift) & 0xFF) * alpha + 128;
            result |= ((scaled + (scaled >> 8)) >> 8) << shift;
        }
        pixels.pixels[i] = result;
    }
}
