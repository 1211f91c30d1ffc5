#include "PngHeader.h"

#include <algorithm>

namespace {

std::uint32_t BigEndian(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 |
           std::uint32_t{bytes[at + 2]} << 8 | std::uint32_t{bytes[at + 3]};
}

} // namespace

std::optional<PngSize> PngHeaderSize(std::span<const std::uint8_t> start) {
    static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    static constexpr std::uint8_t kHeaderChunk[] = {'I', 'H', 'D', 'R'};
    if (start.size() < kPngHeaderBytes ||
        !std::equal(std::begin(kSignature), std::end(kSignature), start.begin()) ||
        !std::equal(std::begin(kHeaderChunk), std::end(kHeaderChunk), start.begin() + 12))
        return std::nullopt;
    return PngSize{BigEndian(start, 16), BigEndian(start, 20)};
}
