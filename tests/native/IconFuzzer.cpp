// Any bytes through the icon check of the release description and the skin
// checker's sniffing of a file's first bytes, each against a reference that
// reads the same bytes the plain way. The sanitizers see any read past them.

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

std::uint64_t Field(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t length) {
    std::uint64_t value = 0;
    for (std::size_t i = length; i-- > 0;)
        value = value * 256 + bytes[at + i];
    return value;
}

// An icon directory with at least one image, each image inside the file
// after the directory.
bool IsIcon(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 6 || Field(bytes, 0, 2) != 0 || Field(bytes, 2, 2) != 1)
        return false;
    const std::uint64_t count = Field(bytes, 4, 2);
    const std::uint64_t directory = 6 + 16 * count;
    if (count == 0 || bytes.size() < directory)
        return false;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t size = Field(bytes, 6 + 16 * i + 8, 4);
        const std::uint64_t offset = Field(bytes, 6 + 16 * i + 12, 4);
        if (size == 0 || offset < directory || offset + size > bytes.size())
            return false;
    }
    return true;
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
    const std::vector<std::uint8_t> bytes(data, data + size);
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    Require(!IconFileProblem(view).has_value() == IsIcon(bytes));
    Require(SniffFileKind(view) == ReferenceKind(bytes));
    return 0;
}
