#include "ChildProcess.h"

ChildProcess::ChildProcess(const std::string& program, const std::string& arguments,
                           const std::string& currentDirectory) {
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup,
                         &info)) {
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
