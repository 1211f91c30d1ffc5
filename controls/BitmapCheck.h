#pragma once
// Whether a .bmp file holds everything its headers promise, sized as the
// system's loader reads it: some loaders read past the end of a truncated
// file instead of failing. Portable (no platform types), so it is also
// fuzzed natively.

#include <cstddef>
#include <cstdint>
#include <span>

// The file and bitmap headers: as much of a file's start as the check reads.
inline constexpr std::size_t kBitmapHeaderBytes = 14 + 40;

// Whether a file of `fileSize` bytes that starts with `start` (its file and
// bitmap headers, kBitmapHeaderBytes, or more) holds everything they promise.
bool IsCompleteBitmap(std::span<const std::uint8_t> start, std::uint64_t fileSize);
// The same for a file wholly in memory.
bool IsCompleteBitmap(std::span<const std::uint8_t> file);
