// Any bytes through the PNG header read that caps the backdrop's size,
// against libpng reading the same bytes. libpng has accepted the header once
// it asks for the chunk after IHDR; then the read must give libpng's width
// and height. When the read gives a size, the same file with the IHDR length
// and the fields after the size made valid must be one libpng accepts, with
// that size, wherever the size is one a PNG may have. The sanitizers see any
// read past the bytes given.

#include "PngHeader.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

// The signature (8) and the IHDR chunk: length, type, 13 bytes of fields, CRC.
constexpr std::size_t kIhdrEnd = 8 + 4 + 4 + 13 + 4;
constexpr std::uint32_t kIhdrType = 'I' << 24 | 'H' << 16 | 'D' << 8 | 'R';

struct Source {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at;
    std::size_t furthest;    // the end of the furthest read libpng asked for
    std::uint32_t firstType; // the type of the first chunk, as libpng parsed it
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    // The first read after the first chunk's length and type is of that chunk.
    if (source->at >= 16 && source->firstType == 0)
        source->firstType = png_get_io_chunk_type(png);
    if (source->at + length > source->furthest)
        source->furthest = source->at + length;
    if (length > source->size - source->at)
        png_error(png, "truncated");
    std::memcpy(out, source->data + source->at, length);
    source->at += length;
}

void Quiet(png_structp, png_const_charp) {}

[[noreturn]] void Fail(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

struct LibpngHeader {
    bool accepted;
    std::uint32_t width;
    std::uint32_t height;
};

// No C++ objects with destructors live across the setjmp.
LibpngHeader ReadWithLibpng(const std::uint8_t* data, std::size_t size) {
    LibpngHeader result{false, 0, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Quiet);
    Require(png != nullptr);
    png_infop info = png_create_info_struct(png);
    Require(info != nullptr);
    Source source{data, size, 0, 0, 0};
    png_set_read_fn(png, &source, ReadFromMemory);
    // The header read checks no CRC and no size limit beyond the format's own.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
    if (setjmp(png_jmpbuf(png)) == 0)
        png_read_info(png, info);
    // libpng skips unknown chunks before IHDR, which the format puts first.
    // With IHDR first, asking for anything past it means it was found valid.
    if (source.firstType == kIhdrType && source.furthest > kIhdrEnd) {
        result.accepted = true;
        result.width = png_get_image_width(png, info);
        result.height = png_get_image_height(png, info);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return result;
}

// The first chunk with its length 13 and valid fields after the size (8-bit
// RGBA, no interlace), then an empty IDAT for libpng to ask for.
std::vector<std::uint8_t> WithValidFields(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> file(bytes.begin(), bytes.begin() + 24);
    file[8] = 0, file[9] = 0, file[10] = 0, file[11] = 13;
    const std::uint8_t fields[] = {8, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'I', 'D', 'A', 'T'};
    file.insert(file.end(), std::begin(fields), std::end(fields));
    return file;
}

bool IsPngDimension(std::uint32_t value) {
    return value != 0 && value <= 0x7fffffffu;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the given bytes, so that a read past them is caught.
    const std::vector<std::uint8_t> bytes(data, data + size);
    const std::optional<PngSize> read = PngHeaderSize(bytes);
    const LibpngHeader reference = ReadWithLibpng(bytes.data(), bytes.size());
    if (reference.accepted) {
        Require(read.has_value());
        Require(read->width == reference.width && read->height == reference.height);
    }
    if (read && IsPngDimension(read->width) && IsPngDimension(read->height)) {
        Require(bytes.size() >= 24);
        const std::vector<std::uint8_t> repaired = WithValidFields(bytes);
        const LibpngHeader fixed = ReadWithLibpng(repaired.data(), repaired.size());
        Require(fixed.accepted && fixed.width == read->width && fixed.height == read->height);
    }
    return 0;
}
