#pragma once
// The pixel size a PNG file's header gives, read without a decoder: the
// signature, then the IHDR chunk with the width and height, big-endian.
// Portable (no platform types), so it is also fuzzed natively.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// The signature and the IHDR chunk's length, type, width and height.
inline constexpr std::size_t kPngHeaderBytes = 24;

struct PngSize {
    std::uint32_t width;
    std::uint32_t height;
};

// The size from a file's first bytes; nothing for any other file, or too
// few bytes.
std::optional<PngSize> PngHeaderSize(std::span<const std::uint8_t> start);
