#include "BitmapCheck.h"

#include <algorithm>

namespace {

std::uint32_t Read32(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
           static_cast<std::uint32_t>(data[at + 2]) << 16 |
           static_cast<std::uint32_t>(data[at + 3]) << 24;
}

std::uint16_t Read16(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
}

constexpr std::size_t kFileHeader = 14;
constexpr std::uint32_t kCoreHeader = 12, kInfoHeader = 40;
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3;

// The headers the system knows: the core one and the info header with its
// later extensions (V2, V3, V4, V5).
bool IsKnownHeader(std::uint32_t size) {
    return size == kCoreHeader || size == kInfoHeader || size == 52 || size == 56 || size == 108 ||
           size == 124;
}

bool IsKnownDepth(std::uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

struct BitmapHeader {
    std::uint32_t size = 0;
    std::int64_t width = 0, height = 0;
    std::uint16_t planes = 0, bits = 0;
    std::uint32_t compression = kRgb, imageSize = 0, coloursUsed = 0;
};

// The bitmap header after the file header; false when it is of no known
// kind or `start` is too short for it.
bool ReadHeader(std::span<const std::uint8_t> start, BitmapHeader& header) {
    header.size = Read32(start, kFileHeader);
    if (!IsKnownHeader(header.size))
        return false;
    if (header.size == kCoreHeader) {
        header.width = Read16(start, 18);
        header.height = Read16(start, 20);
        header.planes = Read16(start, 22);
        header.bits = Read16(start, 24);
        return true;
    }
    if (start.size() < kBitmapHeaderBytes)
        return false;
    header.width = static_cast<std::int32_t>(Read32(start, 18));
    header.height = static_cast<std::int32_t>(Read32(start, 22));
    header.planes = Read16(start, 26);
    header.bits = Read16(start, 28);
    header.compression = Read32(start, 30);
    header.imageSize = Read32(start, 34);
    header.coloursUsed = Read32(start, 46);
    return true;
}

// What the loader copies after the file header, sized as it sizes it: the
// header as long as it says it is (at least room for the three masks of a
// bit-field image), then the colour table, which a 16-, 24- or 32-bit image
// has too when it names a count of colours.
std::uint64_t InfoBytes(const BitmapHeader& header) {
    if (header.size == kCoreHeader)
        return kCoreHeader + (header.bits <= 8 ? (1u << header.bits) * 3u : 0u);
    std::uint64_t colours = std::min<std::uint32_t>(header.coloursUsed, 256);
    if (colours == 0 && header.bits <= 8)
        colours = 1u << header.bits;
    const std::uint64_t masks = header.compression == kBitfields ? 3 * 4 : 0;
    return std::max<std::uint64_t>(header.size, kInfoHeader + masks) + colours * 4;
}

// Bytes the pixel rows take, or 0 when the sizes are unusable.
std::uint64_t PixelBytes(std::int64_t width, std::int64_t height, std::uint16_t bits) {
    if (width <= 0 || height == 0)
        return 0;
    std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
    return stride * static_cast<std::uint64_t>(height < 0 ? -height : height);
}

} // namespace

bool IsCompleteBitmap(std::span<const std::uint8_t> start, std::uint64_t fileSize) {
    if (start.size() > fileSize)
        start = start.first(static_cast<std::size_t>(fileSize));
    if (start.size() < kFileHeader + kCoreHeader || start[0] != 'B' || start[1] != 'M')
        return false;
    BitmapHeader header;
    if (!ReadHeader(start, header) || header.planes != 1 || !IsKnownDepth(header.bits))
        return false;
    // The loader reads the header and the table, and one byte after them.
    const std::uint64_t infoEnd = kFileHeader + InfoBytes(header);
    if (infoEnd >= fileSize)
        return false;
    // An offset of 0 puts the pixels right after the table; one inside the
    // headers would make the loader's offset wrap.
    const std::uint32_t offset = Read32(start, 10);
    if (offset != 0 && offset < kFileHeader + header.size)
        return false;
    const std::uint64_t pixelsAt = offset ? offset : infoEnd;
    if (pixelsAt > fileSize)
        return false;
    const std::uint64_t available = fileSize - pixelsAt;
    if (header.compression == kRle8 || header.compression == kRle4)
        return header.imageSize > 0 && header.imageSize <= available && header.width > 0 &&
               header.height != 0;
    if (header.compression != kRgb && header.compression != kBitfields)
        return false;
    const std::uint64_t needed = PixelBytes(header.width, header.height, header.bits);
    return needed > 0 && needed <= available;
}

bool IsCompleteBitmap(std::span<const std::uint8_t> file) {
    return IsCompleteBitmap(file, file.size());
}
