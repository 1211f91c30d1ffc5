// Any bytes through the PNG header read that caps the backdrop's size,
// against a reference that reads the signature and the first chunk the slow,
// obvious way. The sanitizers see any read past the bytes given.

#include "PngHeader.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

std::optional<PngSize> Reference(const std::vector<std::uint8_t>& bytes) {
    const std::string text(bytes.begin(), bytes.end());
    if (text.size() < 24 || text.substr(0, 8) != std::string("\x89PNG\r\n\x1a\n", 8) ||
        text.substr(12, 4) != "IHDR")
        return std::nullopt;
    auto number = [&](std::size_t at) {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value * 256 + static_cast<unsigned char>(text[at + i]);
        return static_cast<std::uint32_t>(value);
    };
    return PngSize{number(16), number(20)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A copy of exactly the given bytes, so that a read past them is caught.
    const std::vector<std::uint8_t> bytes(data, data + size);
    const std::optional<PngSize> read = PngHeaderSize(bytes);
    const std::optional<PngSize> expected = Reference(bytes);
    Require(read.has_value() == expected.has_value());
    Require(!read || (read->width == expected->width && read->height == expected->height));
    return 0;
}
