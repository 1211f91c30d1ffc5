#pragma once
// Whether an image file may be handed to the platform's decoders at all.
// They trust what a file's headers say (a bitmap's sizes, an icon
// directory's offsets, a GIF's colour tables) and crash on files that
// promise what they do not hold, so every image the client decodes as a
// whole file is read here first, and formats it cannot check are refused.
// Portable (no platform types), so it is also fuzzed natively.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

enum class ImageFormat { Bitmap, Png, Gif, Jpeg, Icon, Other };

// What a file's first bytes (four are enough) announce.
ImageFormat ImageFormatOf(std::span<const std::uint8_t> start);

// What in `file` a decoder cannot be trusted with, as a phrase that follows
// the file's name ("is an icon cut short"); nothing when it may be decoded.
// What decoders refuse on their own (a GIF without a whole frame, a PNG's
// pixels) is left to them.
std::optional<std::string> ImageFileProblem(std::span<const std::uint8_t> file);
