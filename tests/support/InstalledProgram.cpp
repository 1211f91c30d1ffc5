#include "InstalledProgram.h"

#include "TextConversion.h"
#include "UiPump.h"

#include <tlhelp32.h>

std::string VersionString(const std::string& file, const std::string& name) {
    std::string data(::GetFileVersionInfoSizeA(file.c_str(), nullptr), '\0');
    if (data.empty() || !::GetFileVersionInfoA(file.c_str(), 0, data.size(), data.data()))
        return "";
    WORD* language = nullptr;
    UINT size = 0;
    if (!::VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                          reinterpret_cast<void**>(&language), &size) ||
        size < 2 * sizeof(WORD))
        return "";
    char query[64];
    wsprintfA(query, "\\StringFileInfo\\%04x%04x\\", language[0], language[1]);
    char* value = nullptr;
    if (!::VerQueryValueA(data.data(), (query + name).c_str(), reinterpret_cast<void**>(&value),
                          &size))
        return "";
    return value;
}

std::string FixedFileVersion(const std::string& file) {
    std::string data(::GetFileVersionInfoSizeA(file.c_str(), nullptr), '\0');
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    if (data.empty() || !::GetFileVersionInfoA(file.c_str(), 0, data.size(), data.data()) ||
        !::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &size))
        return "";
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
           std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
           std::to_string(LOWORD(fixed->dwFileVersionLS));
}

DWORD ProcessRunningFrom(const std::string& exe, DWORD timeoutMs) {
    const std::wstring wanted = ToWide(exe);
    DWORD found = 0;
    PumpUntil(
        [&] {
            HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
            PROCESSENTRY32W entry{};
            entry.dwSize = sizeof(entry);
            for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found;
                 more = ::Process32NextW(snapshot, &entry)) {
                HANDLE process =
                    ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
                wchar_t path[MAX_PATH];
                DWORD length = MAX_PATH;
                if (process && ::QueryFullProcessImageNameW(process, 0, path, &length) &&
                    ::CompareStringOrdinal(path, length, wanted.c_str(), -1, TRUE) == CSTR_EQUAL)
                    found = entry.th32ProcessID;
                if (process)
                    ::CloseHandle(process);
            }
            ::CloseHandle(snapshot);
            return found != 0;
        },
        timeoutMs);
    return found;
}

void EndProcess(DWORD id) {
    if (HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
        ::TerminateProcess(process, 0);
        ::WaitForSingleObject(process, 10000);
        ::CloseHandle(process);
    }
}
