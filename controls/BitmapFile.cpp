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

std::string ImageFileForDpi(const std::string& path, int dpi, int* factor) {
    *factor = 1;
    if (dpi < kTwiceSizeDpi)
        return path;
    std::string twice = TwiceSizeName(path);
    const DWORD attributes = ::GetFileAttributesA(twice.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return path;
    *factor = 2;
    return twice;
}

int LoadImageForDpi(const std::string& path, int dpi,
                    const std::function<bool(const std::string& file, int factor)>& load) {
    int factor = 1;
    const std::string file = ImageFileForDpi(path, dpi, &factor);
    if (load(file, factor))
        return factor;
    return factor != 1 && load(path, 1) ? 1 : 0;
}

HBITMAP LoadBitmapFileForDpi(const std::string& path, int dpi, int* factor) {
    HBITMAP bitmap = nullptr;
    *factor = LoadImageForDpi(path, dpi, [&bitmap](const std::string& file, int) {
        bitmap = LoadBitmapFile(file.c_str(), LR_CREATEDIBSECTION);
        return bitmap != nullptr;
    });
    if (*factor == 0)
        *factor = 1;
    return bitmap;
}
