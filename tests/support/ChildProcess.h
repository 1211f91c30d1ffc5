#pragma once
// Runs a program as a child process with a given current directory.

#include <windows.h>

#include <functional>
#include <string>

class ChildProcess {
public:
    // With `outputFile`, the child's standard output and error go to that file.
    ChildProcess(const std::string& program, const std::string& arguments,
                 const std::string& currentDirectory, const std::string& outputFile = "");
    // A child still running is terminated.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_id; }
    HANDLE Handle() const { return m_process; }
    // True when the child ended within the time.
    bool WaitForExit(DWORD timeoutMs);
    // The exit status, or STILL_ACTIVE while it runs.
    DWORD ExitCode() const;
    void Terminate();
    // A visible top-level window of the child for which `match` holds, once
    // one shows (messages are pumped meanwhile), or null.
    HWND WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeoutMs = 30000) const;

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};
