#include "CrashReports.h"

#include "UpdateSignature.h"

#include <dbghelp.h>

#include <cstdio>
#include <set>

namespace {

CCrashReporter* g_reporter = nullptr;
LONG g_reporting = 0;
DWORD g_writerThread = 0;
// A crashed thread waits this long for its report before the process ends.
constexpr DWORD kWriteTimeoutMs = 30000;

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                          PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION,
                                          PMINIDUMP_CALLBACK_INFORMATION);

std::string Printed(const char* format, auto... values) {
    char text[128];
    std::snprintf(text, sizeof(text), format, values...);
    return text;
}

// "major.minor.build" as the system itself reports it (GetVersionEx answers
// with the version a program's manifest admits to).
std::string WindowsVersion() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto get = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!get || get(&version) != 0)
        return "unknown";
    return Printed("%lu.%lu.%lu", version.dwMajorVersion, version.dwMinorVersion,
                   version.dwBuildNumber);
}

std::string HashOf(const std::wstring& path) {
    const std::optional<Sha256Digest> digest = Sha256OfFile(path);
    if (!digest)
        return "none (no file, or unreadable)";
    std::string hex;
    for (unsigned char byte : *digest)
        hex += Printed("%02x", byte);
    return hex;
}

// The reports' names sort by time: crash-YYYYMMDD-HHMMSS-<process id>.
std::wstring ReportStem(const SYSTEMTIME& time) {
    wchar_t stem[64];
    std::swprintf(stem, 64, L"crash-%04u%02u%02u-%02u%02u%02u-%lu", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond, ::GetCurrentProcessId());
    return stem;
}

} // namespace

CCrashReporter::CCrashReporter(std::wstring folder, CrashReportDetails details)
    : m_folder(std::move(folder)), m_details(std::move(details)),
      m_wake(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_written(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!m_folder.empty() && m_folder.back() != L'\\')
        m_folder += L'\\';
    m_folder += L"crashes\\";
    m_writer = std::thread(&CCrashReporter::WriteWhenWoken, this);
    g_reporter = this;
    m_previousFilter = ::SetUnhandledExceptionFilter(&CCrashReporter::OnUnhandledException);
}

CCrashReporter::~CCrashReporter() {
    ::SetUnhandledExceptionFilter(m_previousFilter);
    g_reporter = nullptr;
    m_ending = true;
    ::SetEvent(m_wake);
    m_writer.join();
    ::CloseHandle(m_wake);
    ::CloseHandle(m_written);
}

LONG WINAPI CCrashReporter::OnUnhandledException(EXCEPTION_POINTERS* exception) {
    CCrashReporter* reporter = g_reporter;
    // One report a process; the writer's own crash is not waited for.
    if (reporter && ::GetCurrentThreadId() != g_writerThread &&
        ::InterlockedExchange(&g_reporting, 1) == 0) {
        reporter->m_exception = exception;
        reporter->m_crashedThread = ::GetCurrentThreadId();
        ::SetEvent(reporter->m_wake);
        ::WaitForSingleObject(reporter->m_written, kWriteTimeoutMs);
    }
    // Then as before: the system's own handling ends the process.
    if (reporter && reporter->m_previousFilter)
        return reporter->m_previousFilter(exception);
    return EXCEPTION_CONTINUE_SEARCH;
}

void CCrashReporter::WriteWhenWoken() {
    g_writerThread = ::GetCurrentThreadId();
    // Loaded here, before any crash and off the window's thread: loading a
    // library from a crashed process can hang on the loader's lock.
    HMODULE dbghelp = ::LoadLibraryW(L"dbghelp.dll");
    ::WaitForSingleObject(m_wake, INFINITE);
    if (!m_ending) {
        WriteReport(dbghelp);
        KeepNewest();
        ::SetEvent(m_written);
    }
    if (dbghelp)
        ::FreeLibrary(dbghelp);
}

void CCrashReporter::WriteReport(HMODULE dbghelp) const {
    ::CreateDirectoryW(m_folder.c_str(), nullptr);
    SYSTEMTIME now;
    ::GetSystemTime(&now);
    const std::wstring stem = m_folder + ReportStem(now);

    const EXCEPTION_RECORD* record = m_exception->ExceptionRecord;
    std::string text = "release: " + m_details.releaseId + ' ' + m_details.releaseVersion + "\r\n" +
                       "client: " + m_details.clientVersion + "\r\n" +
                       Printed("time: %04u-%02u-%02u %02u:%02u:%02u UTC\r\n", now.wYear, now.wMonth,
                               now.wDay, now.wHour, now.wMinute, now.wSecond) +
                       "windows: " + WindowsVersion() + "\r\n" +
                       "config.xml sha256: " + HashOf(m_details.configPath) + "\r\n" +
                       Printed("exception: 0x%08lx at %p in thread %lu\r\n", record->ExceptionCode,
                               record->ExceptionAddress, m_crashedThread);
    auto write = reinterpret_cast<MiniDumpWriteDumpFn>(reinterpret_cast<void*>(
        dbghelp ? ::GetProcAddress(dbghelp, "MiniDumpWriteDump") : nullptr));
    HANDLE dump = ::CreateFileW((stem + L".dmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    MINIDUMP_EXCEPTION_INFORMATION exception{m_crashedThread, m_exception, FALSE};
    const bool written = dump != INVALID_HANDLE_VALUE && write &&
                         write(::GetCurrentProcess(), ::GetCurrentProcessId(), dump, MiniDumpNormal,
                               &exception, nullptr, nullptr);
    if (dump != INVALID_HANDLE_VALUE)
        ::CloseHandle(dump);
    if (!written) {
        ::DeleteFileW((stem + L".dmp").c_str());
        text += "minidump: could not be written\r\n";
    }
    HANDLE file = ::CreateFileW((stem + L".txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD done = 0;
    if (file != INVALID_HANDLE_VALUE) {
        ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
        ::CloseHandle(file);
    }
}

void CCrashReporter::KeepNewest() const {
    std::set<std::wstring> stems;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((m_folder + L"crash-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        stems.insert(name.substr(0, name.find_last_of(L'.')));
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    auto oldest = stems.begin();
    for (std::size_t extra = stems.size() > kCrashReportsKept ? stems.size() - kCrashReportsKept
                                                              : 0;
         extra > 0; --extra, ++oldest)
        for (const wchar_t* extension : {L".txt", L".dmp"})
            ::DeleteFileW((m_folder + *oldest + extension).c_str());
}
