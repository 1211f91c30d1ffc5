#include "ZipEntries.h"

#include <cstdint>
#include <fstream>
#include <iterator>

namespace {

uint32_t Read(const std::string& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
}

constexpr uint32_t kEndSignature = 0x06054b50, kEntrySignature = 0x02014b50;
constexpr size_t kEndSize = 22, kEntrySize = 46;
constexpr uint32_t kUtf8Flag = 1u << 11;

} // namespace

std::vector<ZipEntry> ReadZipEntries(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < kEndSize)
        return {};
    // The end record is last, after a comment of up to 64 KB.
    size_t end = bytes.size() - kEndSize;
    while (Read(bytes, end, 4) != kEndSignature) {
        if (end == 0 || bytes.size() - end > kEndSize + 0xFFFF)
            return {};
        --end;
    }
    std::vector<ZipEntry> entries;
    size_t at = Read(bytes, end + 16, 4);
    for (uint32_t i = 0, count = Read(bytes, end + 10, 2); i < count; ++i) {
        if (at + kEntrySize > bytes.size() || Read(bytes, at, 4) != kEntrySignature)
            return {};
        size_t nameLength = Read(bytes, at + 28, 2);
        if (at + kEntrySize + nameLength > bytes.size())
            return {};
        entries.push_back(
            {bytes.substr(at + kEntrySize, nameLength), (Read(bytes, at + 8, 2) & kUtf8Flag) != 0});
        at += kEntrySize + nameLength + Read(bytes, at + 30, 2) + Read(bytes, at + 32, 2);
    }
    return entries;
}
