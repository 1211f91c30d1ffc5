#include "ProcessTree.h"

ProcessTree::ProcessTree(const std::string& program, const std::string& arguments) {
    m_job = ::CreateJobObjectA(nullptr, nullptr);
    if (!m_job)
        return;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ::SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    // Suspended until it is in the job, so that nothing it starts escapes.
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          CREATE_SUSPENDED, nullptr, nullptr, &startup, &info))
        return;
    if (::AssignProcessToJobObject(m_job, info.hProcess)) {
        ::ResumeThread(info.hThread);
        m_process = info.hProcess;
    } else {
        ::TerminateProcess(info.hProcess, 0xDEAD);
        ::CloseHandle(info.hProcess);
    }
    ::CloseHandle(info.hThread);
}

ProcessTree::~ProcessTree() {
    if (m_process)
        ::CloseHandle(m_process);
    if (m_job)
        ::CloseHandle(m_job); // terminates what still runs
}

bool ProcessTree::WaitForAll(DWORD timeoutMs) {
    if (!m_process)
        return false;
    DWORD start = ::GetTickCount();
    for (;;) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
        if (!::QueryInformationJobObject(m_job, JobObjectBasicAccountingInformation, &accounting,
                                         sizeof(accounting), nullptr))
            return false;
        if (accounting.ActiveProcesses == 0)
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(50);
    }
}

DWORD ProcessTree::ExitCode() const {
    DWORD code = 0;
    if (!m_process || !::GetExitCodeProcess(m_process, &code))
        return 0xFFFFFFFF;
    return code;
}
