#pragma once
// Runs a program as a child process with a given current directory.

#include <windows.h>

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

private:
    HANDLE m_process = nullptr;
    DWORD m_id = 0;
};
