#include "BitmapFile.h"

#include <windows.h>

namespace {

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

} // namespace

bool IsCompleteBitmapFile(const std::string& path) {
    ScopedFile file(path);
    if (file.handle == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    std::uint8_t headers[kBitmapHeaderBytes] = {};
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
