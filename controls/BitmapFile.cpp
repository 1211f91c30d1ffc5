#include "BitmapFile.h"

#include <windows.h>

namespace {

std::uint32_t Read32(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
           static_cast<std::uint32_t>(data[at + 2]) << 16 |
           static_cast<std::uint32_t>(data[at + 3]) << 24;
}

std::uint16_t Read16(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
}

constexpr std::size_t kFileHeader = 14;
// The file header and as much of the bitmap header as is checked.
constexpr std::size_t kCheckedHeaders = kFileHeader + 40;
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3;

bool IsKnownDepth(std::uint16_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// A file opened for reading, closed when it goes out of scope.
struct ScopedFile {
    HANDLE handle;
    explicit ScopedFile(const std::string& path)
        : handle(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~ScopedFile() {
        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    }
    ScopedFile(const ScopedFile&) = delete;
    ScopedFile& operator=(const ScopedFile&) = delete;
};

// Bytes the pixel rows take, or 0 when the sizes are unusable.
std::uint64_t PixelBytes(std::int64_t width, std::int64_t height, std::uint16_t bits) {
    if (width <= 0 || height == 0)
        return 0;
    std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
    return stride * static_cast<std::uint64_t>(height < 0 ? -height : height);
}

} // namespace

bool IsCompleteBitmap(std::span<const std::uint8_t> start, std::uint64_t fileSize) {
    if (start.size() > fileSize)
        start = start.first(static_cast<std::size_t>(fileSize));
    if (start.size() < kFileHeader + 12 || start[0] != 'B' || start[1] != 'M')
        return false;
    std::uint32_t pixelsAt = Read32(start, 10);
    std::uint32_t headerSize = Read32(start, kFileHeader);
    if (headerSize < 12 || kFileHeader + headerSize > fileSize || pixelsAt > fileSize)
        return false;
    std::int64_t width, height;
    std::uint16_t planes, bits;
    std::uint32_t compression = kRgb, imageSize = 0;
    if (headerSize == 12) {
        width = Read16(start, 18);
        height = Read16(start, 20);
        planes = Read16(start, 22);
        bits = Read16(start, 24);
    } else {
        if (headerSize < 40 || start.size() < kCheckedHeaders)
            return false;
        width = static_cast<std::int32_t>(Read32(start, 18));
        height = static_cast<std::int32_t>(Read32(start, 22));
        planes = Read16(start, 26);
        bits = Read16(start, 28);
        compression = Read32(start, 30);
        imageSize = Read32(start, 34);
    }
    if (planes != 1 || !IsKnownDepth(bits))
        return false;
    std::uint64_t available = fileSize - pixelsAt;
    if (compression == kRle8 || compression == kRle4)
        return imageSize > 0 && imageSize <= available && width > 0 && height != 0;
    if (compression != kRgb && compression != kBitfields)
        return false;
    std::uint64_t needed = PixelBytes(width, height, bits);
    return needed > 0 && needed <= available;
}

bool IsCompleteBitmap(std::span<const std::uint8_t> file) {
    return IsCompleteBitmap(file, file.size());
}

bool IsCompleteBitmapFile(const std::string& path) {
    ScopedFile file(path);
    if (file.handle == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    std::uint8_t headers[kCheckedHeaders] = {};
    DWORD read = 0;
    if (!::GetFileSizeEx(file.handle, &size) ||
        !::ReadFile(file.handle, headers, sizeof(headers), &read, nullptr))
        return false;
    return IsCompleteBitmap(std::span(headers, read), static_cast<std::uint64_t>(size.QuadPart));
}

HBITMAP LoadBitmapFile(const char* path, UINT flags) {
    if (!path || !IsCompleteBitmapFile(path))
        return nullptr;
    return static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), path, IMAGE_BITMAP, 0, 0,
                                             LR_LOADFROMFILE | flags));
}
