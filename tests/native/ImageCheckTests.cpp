#include "GifBuilder.h"
#include "ImageCheck.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Bytes Le(std::uint64_t value, int length) {
    Bytes bytes;
    for (int i = 0; i < length; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return bytes;
}

// An icon directory of one entry at `offset` of `size` bytes, then `payload` bytes.
Bytes Icon(std::uint32_t size, std::uint32_t offset, std::size_t payload) {
    return Le(0, 2) + Le(1, 2) + Le(1, 2) + Bytes{16, 16, 0, 0} + Le(1, 2) + Le(32, 2) +
           Le(size, 4) + Le(offset, 4) + Bytes(payload, 0);
}

// A bitmap of 2 x 2 pixels at 24 bits, `cut` bytes short.
Bytes Bitmap(std::size_t cut = 0) {
    Bytes bitmap = Bytes{'B', 'M'} + Le(70, 4) + Le(0, 4) + Le(54, 4) + Le(40, 4) + Le(2, 4) +
                   Le(2, 4) + Le(1, 2) + Le(24, 2) + Bytes(24 + 16, 0);
    bitmap.resize(bitmap.size() - cut);
    return bitmap;
}

TEST(ImageCheck, EachFormatIsReadBeforeADecoderSeesIt) {
    const struct {
        const char* what;
        Bytes file;
        const char* problem; // nullptr: may be decoded
    } files[] = {
        {"a bitmap", Bitmap(), nullptr},
        {"a bitmap cut short", Bitmap(1), "is truncated or its headers are not consistent"},
        {"a GIF with the file's table", Header(1, 1) + Image(0, 0, 1, 1) + Trailer(), nullptr},
        {"a GIF with tables of its frames", Header(1, 1, -1) + Image(0, 0, 1, 1, 0) + Trailer(),
         nullptr},
        {"a GIF with a frame without any table",
         Header(1, 1, -1) + Image(0, 0, 1, 1, 0) + Image(0, 0, 1, 1) + Trailer(),
         "is a GIF with a frame that has no colour table, neither the file's nor its own"},
        {"an icon", Icon(4, 22, 4), nullptr},
        {"an icon whose entry wraps 32 bits", Icon(0xFFFFFFF0u, 22, 40), "is an icon cut short"},
        {"an icon whose entry lies past its end", Icon(8, 22, 4), "is an icon cut short"},
        {"an icon whose entry lies in its directory", Icon(4, 6, 20), "is an icon cut short"},
        {"an icon of 40000 entries", Le(0, 2) + Le(1, 2) + Le(40000, 2) + Bytes(64, 0),
         "is an icon cut short"},
        {"an icon without images", Le(0, 2) + Le(1, 2) + Le(0, 2), "is an icon without images"},
        {"a PNG", Bytes{0x89, 'P', 'N', 'G'}, nullptr},
        {"a JPEG", Bytes{0xFF, 0xD8, 0xFF, 0xE0}, nullptr},
        {"a metafile", Bytes{0xD7, 0xCD, 0xC6, 0x9A}, "is not an image the client knows"},
        {"nothing", Bytes{}, "is not an image the client knows"},
    };
    for (const auto& file : files) {
        const std::optional<std::string> problem = ImageFileProblem(file.file);
        EXPECT_EQ(problem.value_or("(none)"), file.problem ? file.problem : "(none)") << file.what;
    }
}

} // namespace
