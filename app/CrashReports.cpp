#include "CrashReports.h"

#include "Cng.h"
#include "UpdateSignature.h"

#include <dbghelp.h>

#include <algorithm>
#include <vector>

namespace {

CCrashReporter* g_reporter = nullptr;
LONG g_reporting = 0;
DWORD g_writerThread = 0;
// A crashed thread waits this long for its report before the process ends.
constexpr DWORD kWriteTimeoutMs = 30000;
// The writer loads what a report needs this long after start-up.
constexpr DWORD kPrepareAfterMs = 5000;

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                          PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION,
                                          PMINIDUMP_CALLBACK_INFORMATION);

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
    char text[48];
    ::wsprintfA(text, "%lu.%lu.%lu", version.dwMajorVersion, version.dwMinorVersion,
                version.dwBuildNumber);
    return text;
}

std::string HashOf(const std::wstring& path) {
    const std::optional<Sha256Digest> digest = Sha256OfFile(path);
    if (!digest)
        return "none (no file, or unreadable)";
    return Sha256Hex(*digest);
}

// The reports' names sort by time: crash-YYYYMMDD-HHMMSS-<process id>.
std::wstring ReportStem(const SYSTEMTIME& time) {
    wchar_t stem[64];
    ::wsprintfW(stem, L"crash-%04u%02u%02u-%02u%02u%02u-%lu", time.wYear, time.wMonth, time.wDay,
                time.wHour, time.wMinute, time.wSecond, ::GetCurrentProcessId());
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
    // The minidump's library and the CNG of the report's SHA-256 are loaded
    // here, off the window's thread and before a crash where it can be:
    // loading a library from a crashed process can hang on the loader's
    // lock. Not during start-up, though: a load holds that lock, and the
    // first window's own loads would wait for it. A crash sooner loads them
    // then.
    HMODULE dbghelp = nullptr;
    if (::WaitForSingleObject(m_wake, kPrepareAfterMs) == WAIT_TIMEOUT) {
        dbghelp = ::LoadLibraryW(L"dbghelp.dll");
        Cng();
        ::WaitForSingleObject(m_wake, INFINITE);
    }
    if (!m_ending) {
        if (!dbghelp)
            dbghelp = ::LoadLibraryW(L"dbghelp.dll");
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
    char report[1024];
    ::wsprintfA(report,
                "release: %s %s\r\nclient: %s\r\ntime: %04u-%02u-%02u %02u:%02u:%02u UTC\r\n"
                "windows: %s\r\nconfig.xml sha256: %s\r\n"
                "exception: 0x%08lx at %p in thread %lu\r\n",
                m_details.releaseId.c_str(), m_details.releaseVersion.c_str(),
                m_details.clientVersion.c_str(), now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond, WindowsVersion().c_str(),
                HashOf(m_details.configPath).c_str(), record->ExceptionCode,
                record->ExceptionAddress, m_crashedThread);
    std::string text = report;
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
    // Every report has its text; the names sort by time.
    std::vector<std::wstring> texts;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((m_folder + L"crash-*.txt").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do
        texts.emplace_back(found.cFileName);
    while (::FindNextFileW(search, &found));
    ::FindClose(search);
    while (texts.size() > kCrashReportsKept) {
        const auto oldest = std::min_element(texts.begin(), texts.end());
        const std::wstring stem = m_folder + oldest->substr(0, oldest->size() - 4);
        ::DeleteFileW((stem + L".txt").c_str());
        ::DeleteFileW((stem + L".dmp").c_str());
        texts.erase(oldest);
    }
}
