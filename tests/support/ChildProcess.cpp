#include "ChildProcess.h"

#include "UiPump.h"

namespace {

struct WindowSearch {
    DWORD processId;
    const std::function<bool(HWND)>& match;
    HWND found;
};

BOOL CALLBACK FindWindowWith(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    if (owner == search->processId && ::IsWindowVisible(hWnd) && search->match(hWnd)) {
        search->found = hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::string& arguments,
                           const std::string& currentDirectory, const std::string& outputFile) {
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    HANDLE output = INVALID_HANDLE_VALUE;
    if (!outputFile.empty()) {
        SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
        output = ::CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
    }
    PROCESS_INFORMATION info{};
    const BOOL started = ::CreateProcessA(
        program.c_str(), commandLine.data(), nullptr, nullptr, output != INVALID_HANDLE_VALUE, 0,
        nullptr, currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup, &info);
    if (output != INVALID_HANDLE_VALUE)
        ::CloseHandle(output);
    if (started) {
        ::CloseHandle(info.hThread);
        m_process = info.hProcess;
        m_id = info.dwProcessId;
    }
}

ChildProcess::~ChildProcess() {
    if (!m_process)
        return;
    if (ExitCode() == STILL_ACTIVE)
        Terminate();
    ::CloseHandle(m_process);
}

bool ChildProcess::WaitForExit(DWORD timeoutMs) {
    return m_process && ::WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0;
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = 0;
    if (!m_process || !::GetExitCodeProcess(m_process, &code))
        return 0xFFFFFFFF;
    return code;
}

void ChildProcess::Terminate() {
    if (m_process) {
        ::TerminateProcess(m_process, 0xDEAD);
        ::WaitForSingleObject(m_process, 5000);
    }
}

HWND ChildProcess::WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeoutMs) const {
    WindowSearch search{m_id, match, nullptr};
    PumpUntil(
        [&] {
            ::EnumWindows(&FindWindowWith, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}
