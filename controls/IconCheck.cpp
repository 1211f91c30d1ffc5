#include "IconCheck.h"

namespace {

constexpr std::size_t kDirectoryHeader = 6, kEntry = 16;

std::uint64_t Read(std::span<const std::uint8_t> bytes, std::size_t at, std::size_t length) {
    std::uint64_t value = 0;
    for (std::size_t i = length; i-- > 0;)
        value = value << 8 | bytes[at + i];
    return value;
}

} // namespace

std::optional<std::string> IconProblem(std::span<const std::uint8_t> file) {
    if (file.size() < kDirectoryHeader || Read(file, 0, 2) != 0 || Read(file, 2, 2) != 1)
        return "is not an icon (.ico)";
    const std::uint64_t count = Read(file, 4, 2);
    if (count == 0)
        return "is an icon without images";
    const std::uint64_t directoryEnd = kDirectoryHeader + count * kEntry;
    if (file.size() < directoryEnd)
        return "is an icon cut short";
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::size_t entry = kDirectoryHeader + static_cast<std::size_t>(i) * kEntry;
        // Counted in 64 bits, where an offset and a size cannot wrap.
        const std::uint64_t size = Read(file, entry + 8, 4), offset = Read(file, entry + 12, 4);
        if (size == 0 || offset < directoryEnd || offset + size > file.size())
            return "is an icon cut short";
    }
    return std::nullopt;
}
