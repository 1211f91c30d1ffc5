#include "ReleaseName.h"

#include <windows.h>

#include <shlobj.h>

#include <vector>

namespace {

// A value of the first string table the executable's version information
// lists, or empty.
std::wstring VersionString(const std::vector<char>& info, const wchar_t* name) {
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                          reinterpret_cast<void**>(&translation), &length) ||
        length < sizeof(Translation))
        return {};
    wchar_t query[64] = {};
    ::wsprintfW(query, L"\\StringFileInfo\\%04x%04x\\%s", translation->language,
                translation->codePage, name);
    wchar_t* value = nullptr;
    if (!::VerQueryValueW(info.data(), query, reinterpret_cast<void**>(&value), &length) || !value)
        return {};
    return value;
}

// The running executable's version information when it is a branded
// release (it names a publisher); empty otherwise.
std::vector<char> BrandedVersionInfo() {
    std::vector<wchar_t> path(32768);
    if (!::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())))
        return {};
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.data(), &ignored);
    std::vector<char> info(size);
    if (!size || !::GetFileVersionInfoW(path.data(), 0, size, info.data()) ||
        VersionString(info, L"CompanyName").empty())
        return {};
    return info;
}

std::string Ascii(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) {
        if (c < 0x20 || c > 0x7E)
            return {};
        narrow += static_cast<char>(c);
    }
    return narrow;
}

// The name as the version information gives it, read once.
std::string ReadBrandedProductName() {
    const std::vector<char> info = BrandedVersionInfo();
    if (info.empty())
        return {};
    const std::wstring name = VersionString(info, L"ProductName");
    BOOL lossy = FALSE;
    const int length = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1,
                                             nullptr, 0, nullptr, &lossy);
    if (length <= 1 || lossy)
        return {};
    std::string narrow(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, narrow.data(), length,
                          nullptr, nullptr);
    narrow.pop_back();
    return narrow;
}

} // namespace

std::string BrandedProductName() {
    // The executable does not change while it runs.
    static const std::string name = ReadBrandedProductName();
    return name;
}

ReleaseIdentity BrandedReleaseIdentity() {
    const std::vector<char> info = BrandedVersionInfo();
    if (info.empty())
        return {};
    return {Ascii(VersionString(info, L"InternalName")),
            Ascii(VersionString(info, L"FileVersion"))};
}

std::wstring ReleaseDataFolder(const std::string& id) {
    // The release tool allows no other id; nothing else becomes a folder name.
    const bool plain = !id.empty() && id.front() != '.' &&
                       id.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                            "0123456789._-") == std::string::npos;
    wchar_t base[MAX_PATH] = {};
    if (!plain || ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                     SHGFP_TYPE_CURRENT, base) != S_OK)
        return {};
    const std::wstring folder = std::wstring(base) + L"\\" + std::wstring(id.begin(), id.end());
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    return folder + L"\\";
}
