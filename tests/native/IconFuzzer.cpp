// Any bytes through the image check that stands before the decoders (the icon
// check, and the dispatch over every format), the release description's icon
// check and the skin checker's sniffing of a file's first bytes.
//
// The oracle for icons does what the system's icon loader does with a file
// the check passes: it copies every entry's bytes, from an allocation exactly
// the file's size, with the 32-bit offset arithmetic the loader uses, so
// AddressSanitizer sees any entry that lies outside. Conversely a file the
// check refuses must break a rule of the format as its documentation states
// it: a reserved word of 0, type 1, at least one entry, the directory and
// every image inside the file and past the directory.

#include "ImageCheck.h"
#include "ReleaseDescription.h"
#include "SkinRules.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::uint32_t Little(const std::uint8_t* at, int length) {
    std::uint32_t value = 0;
    for (int i = 0; i < length; ++i)
        value |= static_cast<std::uint32_t>(at[i]) << (8 * i);
    return value;
}

// The loader: the directory as a record array over the file, each image
// copied from where its entry says.
void LoadEveryImage(const std::vector<std::uint8_t>& file) {
    const std::uint8_t* base = file.data();
    const std::uint32_t count = Little(base + 4, 2);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = base + 6 + 16 * i;
        const std::uint32_t size = Little(entry + 8, 4), offset = Little(entry + 12, 4);
        std::vector<std::uint8_t> image(base + offset, base + offset + size);
        Require(image.size() == size);
    }
}

// Which rule of the format, read from its documentation, the file breaks;
// nullptr when none.
const char* BrokenIconRule(const std::vector<std::uint8_t>& file) {
    if (file.size() < 6 || Little(file.data(), 2) != 0 || Little(file.data() + 2, 2) != 1)
        return "header";
    const std::uint64_t count = Little(file.data() + 4, 2);
    if (count == 0)
        return "no images";
    const std::uint64_t directoryEnd = 6 + 16 * count;
    if (file.size() < directoryEnd)
        return "directory";
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = file.data() + 6 + 16 * i;
        const std::uint64_t size = Little(entry + 8, 4), offset = Little(entry + 12, 4);
        if (size == 0 || offset < directoryEnd || file.size() - offset < size ||
            offset > file.size())
            return "image";
    }
    return nullptr;
}

bool StartsWith(const std::vector<std::uint8_t>& bytes, const char* prefix, std::size_t length) {
    return bytes.size() >= length && std::memcmp(bytes.data(), prefix, length) == 0;
}

FileKind ReferenceKind(const std::vector<std::uint8_t>& bytes) {
    if (StartsWith(bytes, "BM", 2))
        return FileKind::Bitmap;
    if (StartsWith(bytes, "\x89PNG", 4))
        return FileKind::Png;
    if (StartsWith(bytes, "GIF8", 4))
        return FileKind::Gif;
    if (StartsWith(bytes, "\xFF\xD8\xFF", 3))
        return FileKind::Jpeg;
    if (StartsWith(bytes, "\0\0\1\0", 4))
        return FileKind::Icon;
    return FileKind::Other;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Exactly the file's size, so that a read past it is seen.
    const std::vector<std::uint8_t> bytes(data, data + size);
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const FileKind kind = ReferenceKind(bytes);
    Require(SniffFileKind(view) == kind);
    const bool passes = !ImageFileProblem(bytes).has_value();
    if (kind == FileKind::Icon) {
        if (passes)
            LoadEveryImage(bytes);
        Require(passes == (BrokenIconRule(bytes) == nullptr));
        Require(passes == !IconFileProblem(view).has_value());
    }
    // Only the formats the client can check reach a decoder.
    if (kind == FileKind::Other)
        Require(!passes);
    return 0;
}
