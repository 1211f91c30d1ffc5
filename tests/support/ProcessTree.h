#pragma once
// Runs a program with every process it starts in one job, so that a caller
// can wait for all of them: an uninstaller, for one, hands its work to a copy
// of itself and returns at once.

#include <windows.h>

#include <string>

class ProcessTree {
public:
    ProcessTree(const std::string& program, const std::string& arguments);
    // Processes still running are terminated.
    ~ProcessTree();
    ProcessTree(const ProcessTree&) = delete;
    ProcessTree& operator=(const ProcessTree&) = delete;

    bool Started() const { return m_process != nullptr; }
    // True when every process of the tree ended within the time.
    bool WaitForAll(DWORD timeoutMs);
    // The first process's exit status, or STILL_ACTIVE while it runs.
    DWORD ExitCode() const;

private:
    HANDLE m_job = nullptr;
    HANDLE m_process = nullptr;
};
