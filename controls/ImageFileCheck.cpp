#include "ImageFileCheck.h"

#include "IconCheck.h"
#include "ImageCheck.h"

#include <vector>

namespace {

// The whole file; nothing when it cannot be read or is too large to check.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(HANDLE file) {
    LARGE_INTEGER size{};
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::optional<std::vector<std::uint8_t>> bytes;
    // Names such as CON open devices, which a read would wait on.
    if (::GetFileType(file) == FILE_TYPE_DISK && ::GetFileSizeEx(file, &size) &&
        static_cast<std::uint64_t>(size.QuadPart) <= kMaxCheckedImageBytes) {
        bytes.emplace(static_cast<std::size_t>(size.QuadPart));
        DWORD read = 0;
        if (!::ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) ||
            read != bytes->size())
            bytes.reset();
    }
    ::CloseHandle(file);
    return bytes;
}

HANDLE OpenToRead(const wchar_t* path) {
    return ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

std::optional<std::string> ImageFileProblemAt(const std::wstring& path) {
    const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(OpenToRead(path.c_str()));
    if (!bytes)
        return "cannot be read whole, or is larger than " +
               std::to_string(kMaxCheckedImageBytes >> 20) + " MB";
    return ImageFileProblem(*bytes);
}

HICON LoadIconFile(const char* path, int width, int height) {
    HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::optional<std::vector<std::uint8_t>> bytes = ReadWholeFile(file);
    if (!bytes || IconProblem(*bytes))
        return nullptr;
    return static_cast<HICON>(
        ::LoadImageA(nullptr, path, IMAGE_ICON, width, height, LR_LOADFROMFILE));
}
