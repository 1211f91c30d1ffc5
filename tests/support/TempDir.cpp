#include "TempDir.h"

#include "Afx.h"
#include "TextConversion.h"

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>

namespace {

std::filesystem::path WidePath(std::string_view narrow) {
    return ToWide(narrow, CP_ACP);
}

} // namespace

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    wchar_t base[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, base);
    std::filesystem::path dir(base);
    dir /= L"client-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(counter++) + L"-" + std::to_wstring(::GetTickCount());
    std::filesystem::create_directories(dir);
    m_path = ToNarrow(dir.wstring(), CP_ACP);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(WidePath(m_path), ignored);
}

std::string TempDir::PathOf(std::string_view relative) const {
    return m_path + "\\" + std::string(relative);
}

std::string TempDir::Write(std::string_view relative, std::string_view bytes) const {
    std::filesystem::path file = WidePath(PathOf(relative));
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return PathOf(relative);
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::string& directory) {
    char previous[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    m_previous = previous;
    ::SetCurrentDirectoryA(directory.c_str());
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
    ::SetCurrentDirectoryA(m_previous.c_str());
}

std::string ProgramDirectory() {
    std::string full = AfxGetModuleFileName();
    return full.substr(0, MbcsFindLast(full, '\\'));
}

std::string WinePath(std::string unixPath) {
    for (char& c : unixPath)
        if (c == '/')
            c = '\\';
    return "Z:" + unixPath;
}
