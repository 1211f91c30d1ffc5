// The release tool: makes a copy of the client the operator's own, from the
// release description beside the skin's config.xml (installer/package.cmake
// runs it under Wine; it needs no display).
//
//   release SKIN_DIR EXE OUT_CMAKE
//
// Reads SKIN_DIR\release.ini, writes into EXE (a copy of the client) the
// release's version information and icon (and its update address and key,
// when it has them: a 32-bit EXE gets the 32-bit release's address, derived
// from update_url), and writes the description to
// OUT_CMAKE as CMake variables (RELEASE_*, UTF-8) for the packaging step.
// Without a description EXE is left as it is and OUT_CMAKE says so.
// Exit status: 0 done; 2 a problem with the description, printed as
// "release.ini: FIELD: message"; 3 anything else.

#include "ReleaseDescription.h"
#include "UpdateResource.h"
#include "VersionResource.h"
#include "version.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kProblemStatus = 2, kFailureStatus = 3;
constexpr WORD kChineseSimplified = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
constexpr WORD kUnicodeCodePage = 1200;
constexpr WORD kMainIconGroup = 128;
// The resource types, in their wide form.
const LPCWSTR kIconType = MAKEINTRESOURCEW(3), kIconGroupType = MAKEINTRESOURCEW(14),
              kVersionType = MAKEINTRESOURCEW(16), kDataType = MAKEINTRESOURCEW(10);
constexpr WORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);

std::wstring Wide(const std::string& utf8) {
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                          length);
    return wide;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::optional<std::string> bytes;
    LARGE_INTEGER size{};
    // Devices (CON and the like) would wait; nothing of a skin is that large.
    if (::GetFileType(file) == FILE_TYPE_DISK && ::GetFileSizeEx(file, &size) &&
        size.QuadPart < (64 << 20)) {
        std::string read(static_cast<size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (::ReadFile(file, read.data(), static_cast<DWORD>(read.size()), &got, nullptr) &&
            got == read.size())
            bytes = std::move(read);
    }
    ::CloseHandle(file);
    return bytes;
}

// A CMake quoted argument holding `text`.
std::string CMakeQuoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"' || c == '$')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// Whether the program is 32-bit x86, by its PE header's machine type.
bool IsX86Program(const std::string& bytes) {
    IMAGE_DOS_HEADER dos{};
    IMAGE_FILE_HEADER header{};
    if (bytes.size() < sizeof(dos))
        return false;
    std::memcpy(&dos, bytes.data(), sizeof(dos));
    const size_t at = static_cast<DWORD>(dos.e_lfanew);
    if (dos.e_magic != IMAGE_DOS_SIGNATURE || at > bytes.size() ||
        bytes.size() - at < 4 + sizeof(header) || bytes.compare(at, 4, "PE\0\0", 4) != 0)
        return false;
    std::memcpy(&header, bytes.data() + at + 4, sizeof(header));
    return header.Machine == IMAGE_FILE_MACHINE_I386;
}

// The update address the client of EXE looks at: each architecture's
// release has its own description.
std::string ClientUpdateUrl(const ReleaseDescription& d, const std::string& exe) {
    return d.updateUrl.empty() || !IsX86Program(exe) ? d.updateUrl : X86UpdateUrl(d.updateUrl);
}

bool WriteCMake(const std::wstring& path, const ReleaseDescription* d,
                const std::string& clientUpdateUrl = "") {
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out << "# Written by the release tool from release.ini.\n";
    out << "set(RELEASE_DESCRIBED " << (d ? "TRUE" : "FALSE") << ")\n";
    if (d) {
        const std::pair<const char*, std::string> values[] = {
            {"NAME", d->name},
            {"NAME_EN", d->englishName.empty() ? d->name : d->englishName},
            {"PUBLISHER", d->publisher},
            {"ID", d->id},
            {"VERSION", d->version.Text()},
            {"WEBSITE", d->website},
            {"ICON", d->icon},
            {"LICENCE", d->licence},
            {"DESKTOP_SHORTCUT", d->desktopShortcut ? "ON" : "OFF"},
            {"COPYRIGHT", d->copyright},
            {"UPDATE_URL", d->updateUrl},
            {"CLIENT_UPDATE_URL", clientUpdateUrl},
            {"UPDATE_KEY", d->updateKey},
            {"CRASH_REPORT_URL", d->crashReportUrl},
        };
        for (const auto& [name, value] : values)
            out << "set(RELEASE_" << name << " " << CMakeQuoted(value) << ")\n";
    }
    return static_cast<bool>(out);
}

VersionStrings BrandStrings(const ReleaseDescription& d) {
    VersionStrings strings{kChineseSimplified, kUnicodeCodePage, {}};
    auto add = [&](const wchar_t* name, const std::string& value) {
        if (!value.empty())
            strings.values.emplace_back(name, Wide(value));
    };
    add(L"CompanyName", d.publisher);
    add(L"FileDescription", d.name);
    add(L"FileVersion", d.version.Text());
    add(L"InternalName", d.id);
    add(L"LegalCopyright", d.copyright);
    add(L"OriginalFilename", d.id + ".exe");
    add(L"ProductName", d.name);
    add(L"ProductVersion", d.version.Text());
    // The client's own version, whatever the release's numbering.
    add(L"EngineVersion", CLIENT_VERSION_TEXT);
    return strings;
}

VS_FIXEDFILEINFO FixedInfo(const ReleaseVersion& version) {
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    fixed.dwFileVersionMS = fixed.dwProductVersionMS = MAKELONG(version.minor, version.major);
    fixed.dwFileVersionLS = fixed.dwProductVersionLS = MAKELONG(0, version.patch);
    fixed.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
    fixed.dwFileOS = VOS_NT_WINDOWS32;
    fixed.dwFileType = VFT_APP;
    return fixed;
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    reinterpret_cast<std::vector<WORD>*>(names)->push_back(
        static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name)));
    return TRUE;
}

// The ids of the executable's icon images, which the new icon replaces.
std::vector<WORD> IconImageIds(const std::wstring& exe) {
    std::vector<WORD> ids;
    if (HMODULE module = ::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        ::EnumResourceNamesW(module, kIconType, &CollectName, reinterpret_cast<LONG_PTR>(&ids));
        ::FreeLibrary(module);
    }
    return ids;
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

// Writes the icon's images and its group (the executable's icon 128).
bool UpdateIcon(HANDLE update, const std::string& ico, const std::vector<WORD>& oldIds) {
    for (WORD id : oldIds)
        ::UpdateResourceW(update, kIconType, MAKEINTRESOURCEW(id), kChineseSimplified, nullptr, 0);
    const WORD count = *reinterpret_cast<const WORD*>(ico.data() + 4);
    std::string group = ico.substr(0, 6);
    for (WORD i = 0; i < count; ++i) {
        const char* entry = ico.data() + 6 + 16 * i;
        IconGroupEntry item{};
        std::memcpy(&item, entry, 12);
        DWORD offset = 0;
        std::memcpy(&offset, entry + 12, 4);
        item.id = static_cast<WORD>(i + 1);
        group.append(reinterpret_cast<const char*>(&item), sizeof(item));
        if (!::UpdateResourceW(update, kIconType, MAKEINTRESOURCEW(item.id), kChineseSimplified,
                               const_cast<char*>(ico.data() + offset), item.bytes))
            return false;
    }
    return ::UpdateResourceW(update, kIconGroupType, MAKEINTRESOURCEW(kMainIconGroup),
                             kChineseSimplified, group.data(), static_cast<DWORD>(group.size()));
}

// The update address and key, and where crash reports go, only in the
// executable: a skin's files can be edited by anyone, the signed executable
// cannot.
bool WriteUpdateSource(HANDLE update, const ReleaseDescription& d, const std::string& updateUrl) {
    if (!d.crashReportUrl.empty() &&
        !::UpdateResourceW(update, kDataType, kCrashReportUrlResource, kNeutral,
                           const_cast<char*>(d.crashReportUrl.data()),
                           static_cast<DWORD>(d.crashReportUrl.size())))
        return false;
    if (updateUrl.empty())
        return true;
    for (const auto& [name, bytes] : {std::pair(kUpdateUrlResource, &updateUrl),
                                      std::pair(kUpdateKeyResource, &d.updateKeyDer)})
        if (!::UpdateResourceW(update, kDataType, name, kNeutral, const_cast<char*>(bytes->data()),
                               static_cast<DWORD>(bytes->size())))
            return false;
    return true;
}

bool Brand(const std::wstring& exe, const ReleaseDescription& d, const std::string& ico,
           const std::string& updateUrl) {
    const std::vector<WORD> oldIcons = IconImageIds(exe);
    HANDLE update = ::BeginUpdateResourceW(exe.c_str(), FALSE);
    if (!update)
        return false;
    std::vector<std::uint8_t> version = BuildVersionResource(FixedInfo(d.version), BrandStrings(d));
    const bool written =
        ::UpdateResourceW(update, kVersionType, MAKEINTRESOURCEW(VS_VERSION_INFO),
                          kChineseSimplified, version.data(), static_cast<DWORD>(version.size())) &&
        UpdateIcon(update, ico, oldIcons) && WriteUpdateSource(update, d, updateUrl);
    return ::EndUpdateResourceW(update, !written) && written;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fputs("usage: release SKIN_DIR EXE OUT_CMAKE\n", stderr);
        return kFailureStatus;
    }
    const std::wstring skin = argv[1], exe = argv[2], out = argv[3];
    auto readFile = [&](const std::string& path) {
        return ReadWholeFile(skin + L"\\" + Wide(path));
    };
    const std::optional<std::string> text = readFile(kReleaseFileName);
    if (!text && ::GetFileAttributesW((skin + L"\\" + Wide(kReleaseFileName)).c_str()) !=
                     INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "%s: cannot be read\n", kReleaseFileName);
        return kProblemStatus;
    }
    if (!text)
        return WriteCMake(out, nullptr) ? 0 : kFailureStatus;
    auto read = ReadReleaseDescription(*text, readFile);
    if (const auto* problem = std::get_if<ReleaseProblem>(&read)) {
        std::fprintf(stderr, "%s\n", FormatReleaseProblem(*problem).c_str());
        return kProblemStatus;
    }
    const ReleaseDescription& description = std::get<ReleaseDescription>(read);
    const std::optional<std::string> program = ReadWholeFile(exe);
    const std::string updateUrl = ClientUpdateUrl(description, program.value_or(""));
    if (!program || !Brand(exe, description, *readFile(description.icon), updateUrl)) {
        std::fprintf(stderr, "release: the version information and icon could not be written "
                             "into the executable\n");
        return kFailureStatus;
    }
    return WriteCMake(out, &description, updateUrl) ? 0 : kFailureStatus;
}
