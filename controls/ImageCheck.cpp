#include "ImageCheck.h"

#include "BitmapCheck.h"
#include "GifBlocks.h"
#include "IconCheck.h"

#include <algorithm>
#include <string_view>

namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), bytes.begin(),
                      [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

} // namespace

ImageFormat ImageFormatOf(std::span<const std::uint8_t> start) {
    if (StartsWith(start, "BM"))
        return ImageFormat::Bitmap;
    if (StartsWith(start, "\x89PNG"))
        return ImageFormat::Png;
    if (StartsWith(start, "GIF8"))
        return ImageFormat::Gif;
    if (StartsWith(start, "\xFF\xD8\xFF"))
        return ImageFormat::Jpeg;
    if (StartsWith(start, std::string_view("\0\0\1\0", 4)))
        return ImageFormat::Icon;
    return ImageFormat::Other;
}

std::optional<std::string> ImageFileProblem(std::span<const std::uint8_t> file) {
    switch (ImageFormatOf(file)) {
    case ImageFormat::Bitmap:
        if (!IsCompleteBitmap(file))
            return "is truncated or its headers are not consistent";
        return std::nullopt;
    case ImageFormat::Gif:
        if (CountGifFramesWithoutColourTable(file) > 0)
            return "is a GIF with a frame that has no colour table, neither the file's nor its own";
        return std::nullopt;
    case ImageFormat::Icon:
        return IconProblem(file);
    case ImageFormat::Png:
    case ImageFormat::Jpeg:
        // Their decoders check their own chunks and markers.
        return std::nullopt;
    case ImageFormat::Other:
        break;
    }
    return "is not an image the client knows";
}
