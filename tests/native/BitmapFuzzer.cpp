// Any bytes through the bitmap check, against a model of where the system's
// loader reads a .bmp file: the file header, the bitmap header, the colour
// masks and table (and the byte after them), and the pixel rows at bfOffBits
// or, for 0, right after the table. When the check accepts a file, every
// byte the model reads lies inside it; when it refuses one, the model would
// read past its end or finds the header invalid. The check also decides the
// same from the headers and the size alone.

#include "BitmapCheck.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

struct Range {
    std::uint64_t from;
    std::uint64_t length;
};

// Little-endian fields, read only where the model already knows they exist.
std::uint64_t Field(const std::uint8_t* data, std::uint64_t at, int bytes) {
    std::uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | data[at + i];
    return value;
}

// The ranges the loader reads, in order, as long as each one it needs in
// order to go on lies inside the file; nothing when the header is invalid.
// `inside` tells whether they all do.
std::optional<std::vector<Range>> LoaderReads(const std::uint8_t* data, std::uint64_t size,
                                              bool& inside) {
    std::vector<Range> reads;
    auto read = [&](std::uint64_t from, std::uint64_t length) {
        reads.push_back({from, length});
        return from + length <= size;
    };
    inside = false;
    if (!read(0, 14) || data[0] != 'B' || data[1] != 'M' || !read(14, 4))
        return reads;
    const std::uint64_t headerSize = Field(data, 14, 4);
    const bool core = headerSize == 12;
    const bool info = headerSize == 40 || headerSize == 52 || headerSize == 56 ||
                      headerSize == 108 || headerSize == 124;
    if (!core && !info)
        return std::nullopt;
    if (!read(14, core ? 12 : 40))
        return reads;
    const std::int64_t width = core ? static_cast<std::int64_t>(Field(data, 18, 2))
                                    : static_cast<std::int32_t>(Field(data, 18, 4));
    const std::int64_t height = core ? static_cast<std::int64_t>(Field(data, 20, 2))
                                     : static_cast<std::int32_t>(Field(data, 22, 4));
    const std::uint64_t planes = Field(data, core ? 22 : 26, 2);
    const std::uint64_t bits = Field(data, core ? 24 : 28, 2);
    const std::uint64_t compression = core ? 0 : Field(data, 30, 4);
    const std::uint64_t imageSize = core ? 0 : Field(data, 34, 4);
    const std::uint64_t used = core ? 0 : Field(data, 46, 4);
    const bool knownBits =
        bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (planes != 1 || !knownBits || compression > 3 || width <= 0 || height == 0)
        return std::nullopt;

    std::uint64_t colours = core ? (bits <= 8 ? 1u << bits : 0) : (used > 256 ? 256 : used);
    if (!core && colours == 0 && bits <= 8)
        colours = 1u << bits;
    std::uint64_t table = headerSize;
    if (compression == 3 && table < 40 + 12)
        table = 40 + 12;
    table += colours * (core ? 3 : 4);
    // The header and the table, then the byte after them.
    if (!read(14, table) || !read(14 + table, 1))
        return reads;
    const std::uint64_t offset = Field(data, 10, 4);
    if (offset != 0 && offset < 14 + headerSize)
        return std::nullopt;
    const std::uint64_t pixelsAt = offset != 0 ? offset : 14 + table;
    std::uint64_t pixels = imageSize;
    if (compression == 0 || compression == 3) {
        const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
        pixels = rowBytes * static_cast<std::uint64_t>(height < 0 ? -height : height);
    } else if (imageSize == 0) {
        return std::nullopt;
    }
    inside = read(pixelsAt, pixels);
    return reads;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    bool inside = false;
    const auto reads = LoaderReads(data, size, inside);
    const bool complete = IsCompleteBitmap(std::span(data, size));
    if (complete)
        Require(reads && inside);
    else
        Require(!reads || !inside);
    const std::size_t headers = size < kBitmapHeaderBytes ? size : kBitmapHeaderBytes;
    Require(IsCompleteBitmap(std::span(data, headers), size) == complete);
    return 0;
}
