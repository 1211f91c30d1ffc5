#pragma once
// Sends the crash reports a release kept (crash-*.txt, with its .dmp when
// there is one) to the release's crash report address, on a thread of its
// own: each report is one multipart/form-data POST, deleted once the server
// takes it (2xx). The first failure ends the sending; what is left goes at
// the next start.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

struct CrashReportSendSetup {
    // Where the reports go; nothing is sent without it.
    std::string url;
    // The running release, sent with each report.
    std::string id;
    std::string version;
    // The release's per-user folder; the reports are in its "crashes" folder.
    std::wstring folder;
    DWORD connectTimeoutMs = 5000;
    // Wait for the answer, and between bytes either way.
    DWORD receiveTimeoutMs = 10000;
    // A report larger than this (its dump and text together) is kept and not sent.
    std::uintmax_t sizeCap = 32u << 20;
};

// The sending, started at construction.
class CCrashReportSender {
public:
    explicit CCrashReportSender(CrashReportSendSetup setup);
    // Stops the sending: closes its connection and waits briefly for the
    // thread; a thread still inside a system call is left to end on its
    // own (it owns what it uses).
    ~CCrashReportSender();
    CCrashReportSender(const CCrashReportSender&) = delete;
    CCrashReportSender& operator=(const CCrashReportSender&) = delete;

    // Whether the thread ended within `timeoutMs`.
    bool Wait(DWORD timeoutMs) const;

    struct State;

private:
    std::shared_ptr<State> m_state;
    HANDLE m_thread = nullptr;
};
