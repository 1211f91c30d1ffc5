// Any bytes through the bitmap check, against a plain reading of the .bmp
// format: the file header, the bitmap header (core, info, V2 to V5), the
// colour masks a bit-field image with an info header has after it, the colour
// table, and the pixel rows at bfOffBits, each row padded to 4 bytes, or as
// many bytes as biSizeImage says for RLE. The reading says a file is
// incomplete only where the format leaves no doubt about a byte it needs, and
// well-formed only where the format is followed to the letter. A file the
// check accepts must not be incomplete; a well-formed file that holds all it
// needs must be accepted. The check also decides the same from the headers
// and the size alone.

#include "BitmapCheck.h"

#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::uint64_t Little(const std::uint8_t* data, std::size_t at, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= std::uint64_t{data[at + i]} << (8 * i);
    return value;
}

struct Reading {
    bool incomplete = false; // a byte the format certainly needs lies past the end
    bool wellFormed = false; // every field as the format has it, every byte inside
};

// Whether `length` bytes from `from` lie inside a file of `size` bytes.
bool Inside(std::uint64_t from, std::uint64_t length, std::uint64_t size) {
    return from <= size && length <= size - from;
}

Reading Read(const std::uint8_t* data, std::uint64_t size) {
    Reading reading;
    // BITMAPFILEHEADER: "BM", bfSize, two reserved words, bfOffBits; then the
    // bitmap header's own size.
    if (size < 14 + 4) {
        reading.incomplete = true;
        return reading;
    }
    if (data[0] != 'B' || data[1] != 'M')
        return reading;
    const std::uint64_t offBits = Little(data, 10, 4);
    const std::uint64_t headerSize = Little(data, 14, 4);
    const bool core = headerSize == 12; // BITMAPCOREHEADER
    // BITMAPINFOHEADER, V2 and V3 (with the masks, then alpha), V4, V5.
    const bool info = headerSize == 40 || headerSize == 52 || headerSize == 56 ||
                      headerSize == 108 || headerSize == 124;
    if (!core && !info)
        return reading;
    if (!Inside(14, headerSize, size)) {
        reading.incomplete = true;
        return reading;
    }

    std::int64_t width, height;
    std::uint64_t planes, bitCount, compression = 0, sizeImage = 0, clrUsed = 0;
    if (core) {
        width = static_cast<std::int64_t>(Little(data, 18, 2));
        height = static_cast<std::int64_t>(Little(data, 20, 2));
        planes = Little(data, 22, 2);
        bitCount = Little(data, 24, 2);
    } else {
        width = static_cast<std::int32_t>(Little(data, 18, 4));
        height = static_cast<std::int32_t>(Little(data, 22, 4));
        planes = Little(data, 26, 2);
        bitCount = Little(data, 28, 2);
        compression = Little(data, 30, 4);
        sizeImage = Little(data, 34, 4);
        clrUsed = Little(data, 46, 4);
    }
    enum { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3 };
    const bool knownCount = bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
                            bitCount == 24 || bitCount == 32;
    if (!knownCount || compression > kBitfields)
        return reading;

    // The masks follow a plain info header; the later headers hold them.
    const std::uint64_t masks = compression == kBitfields && headerSize == 40 ? 12 : 0;
    // The colour table: every colour the bit count allows unless biClrUsed
    // names fewer; an optional table of biClrUsed colours at higher counts.
    const std::uint64_t most = bitCount <= 8 ? std::uint64_t{1} << bitCount : 256;
    const bool tableKnown = clrUsed <= most;
    const std::uint64_t entries = clrUsed != 0 ? clrUsed : (bitCount <= 8 ? most : 0);
    const std::uint64_t tableEnd = 14 + headerSize + masks + entries * (core ? 3 : 4);
    if (tableKnown && tableEnd > size) {
        reading.incomplete = true;
        return reading;
    }

    const bool rle = compression == kRle8 || compression == kRle4;
    const bool sized = width > 0 && height != 0;
    const std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
    const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
    const std::uint64_t pixels = rle ? sizeImage : stride * rows;
    const bool pixelsKnown = sized && (!rle || sizeImage != 0);
    // A bfOffBits of 0 names no place; the rows can then only follow the table.
    const bool atTable = offBits == 0;
    if (pixelsKnown && (offBits != 0 || tableKnown) &&
        !Inside(atTable ? tableEnd : offBits, pixels, size)) {
        reading.incomplete = true;
        return reading;
    }

    const bool fitsCompression =
        core ? compression == kRgb && bitCount != 16 && bitCount != 32
             : (compression == kRgb) || (compression == kRle8 && bitCount == 8 && height > 0) ||
                   (compression == kRle4 && bitCount == 4 && height > 0) ||
                   (compression == kBitfields && (bitCount == 16 || bitCount == 32));
    reading.wellFormed = planes == 1 && fitsCompression && tableKnown && pixelsKnown &&
                         offBits >= tableEnd && Inside(offBits, pixels, size);
    return reading;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Reading reading = Read(data, size);
    const bool complete = IsCompleteBitmap(std::span(data, size));
    Require(!complete || !reading.incomplete);
    Require(complete || !reading.wellFormed);
    const std::size_t headers = size < kBitmapHeaderBytes ? size : kBitmapHeaderBytes;
    Require(IsCompleteBitmap(std::span(data, headers), size) == complete);
    return 0;
}
