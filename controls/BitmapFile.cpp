#include "BitmapFile.h"

#include <fstream>
#include <iterator>
#include <vector>

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
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3;

bool IsKnownDepth(std::uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Bytes the pixel rows take, or 0 when the sizes are unusable.
std::uint64_t PixelBytes(std::int64_t width, std::int64_t height, std::uint16_t bits) {
    if (width <= 0 || height == 0)
        return 0;
    std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
    return stride * static_cast<std::uint64_t>(height < 0 ? -height : height);
}

} // namespace

bool IsCompleteBitmap(std::span<const std::uint8_t> file) {
    if (file.size() < kFileHeader + 12 || file[0] != 'B' || file[1] != 'M')
        return false;
    std::uint32_t pixelsAt = Read32(file, 10);
    std::uint32_t headerSize = Read32(file, kFileHeader);
    if (headerSize < 12 || kFileHeader + headerSize > file.size() || pixelsAt > file.size())
        return false;
    std::int64_t width, height;
    std::uint16_t planes, bits;
    std::uint32_t compression = kRgb, imageSize = 0;
    if (headerSize == 12) {
        width = Read16(file, 18);
        height = Read16(file, 20);
        planes = Read16(file, 22);
        bits = Read16(file, 24);
    } else {
        if (headerSize < 40)
            return false;
        width = static_cast<std::int32_t>(Read32(file, 18));
        height = static_cast<std::int32_t>(Read32(file, 22));
        planes = Read16(file, 26);
        bits = Read16(file, 28);
        compression = Read32(file, 30);
        imageSize = Read32(file, 34);
    }
    if (planes != 1 || !IsKnownDepth(bits))
        return false;
    std::uint64_t available = file.size() - pixelsAt;
    if (compression == kRle8 || compression == kRle4)
        return imageSize > 0 && imageSize <= available && width > 0 && height != 0;
    if (compression != kRgb && compression != kBitfields)
        return false;
    std::uint64_t needed = PixelBytes(width, height, bits);
    return needed > 0 && needed <= available;
}

bool IsCompleteBitmapFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    return IsCompleteBitmap(bytes);
}
