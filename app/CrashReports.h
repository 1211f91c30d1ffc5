#pragma once
// Crash reports: when any thread of the client ends in an unhandled
// exception (a fault in the client's own code, which the fault guard hands
// on, included), a minidump and a short text land in a folder of the
// release's, and the process then ends as it would have. Only the newest
// kCrashReportsKept reports are kept. Nothing leaves the machine here.

#include <windows.h>

#include <cstddef>
#include <string>
#include <thread>

inline constexpr std::size_t kCrashReportsKept = 10;

// What the text of a report says besides the crash itself.
struct CrashReportDetails {
    std::string releaseId;
    std::string releaseVersion;
    std::string clientVersion;
    // The skin's config.xml, hashed when a report is written.
    std::wstring configPath;
};

// One at a time: it takes over the process's unhandled-exception filter for
// its lifetime. The report is written by a thread of its own, started with
// it, so that a crashed thread (perhaps out of stack) only has to wake it.
class CCrashReporter {
public:
    CCrashReporter(std::wstring folder, CrashReportDetails details);
    ~CCrashReporter();
    CCrashReporter(const CCrashReporter&) = delete;
    CCrashReporter& operator=(const CCrashReporter&) = delete;

private:
    static LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* exception);
    void WriteWhenWoken();
    void WriteReport(HMODULE dbghelp) const;
    void KeepNewest() const;

    std::wstring m_folder;
    CrashReportDetails m_details;
    LPTOP_LEVEL_EXCEPTION_FILTER m_previousFilter = nullptr;
    HANDLE m_wake = nullptr;
    HANDLE m_written = nullptr;
    EXCEPTION_POINTERS* m_exception = nullptr;
    DWORD m_crashedThread = 0;
    bool m_ending = false;
    std::thread m_writer;
};
