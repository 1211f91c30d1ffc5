#include "CrashReportSender.h"

#include "HttpRequest.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

// How long the window waits for the thread when it goes away.
constexpr DWORD kJoinWaitMs = 1000;
constexpr char kBoundary[] = "GameClientCrashReport7d9f3a61c2b84e05";

// The whole file when it holds at most `cap` bytes; nothing when it holds
// more or cannot be read (a report that cannot be weighed is kept).
std::optional<std::string> ReadFileUpTo(const std::wstring& path, std::uint64_t cap) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    LARGE_INTEGER size{};
    std::optional<std::string> bytes;
    if (::GetFileSizeEx(file, &size) && static_cast<std::uint64_t>(size.QuadPart) <= cap) {
        bytes.emplace(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (!::ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &got, nullptr) ||
            got != bytes->size())
            bytes.reset();
    }
    ::CloseHandle(file);
    return bytes;
}

std::string Field(const std::string& name, const std::string& value) {
    return std::string("--") + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name +
           "\"\r\n\r\n" + value + "\r\n";
}

std::string FileField(const std::string& name, const std::string& fileName, const char* contentType,
                      const std::string& bytes) {
    return std::string("--") + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + name +
           "\"; filename=\"" + fileName + "\"\r\nContent-Type: " + contentType + "\r\n\r\n" +
           bytes + "\r\n";
}

} // namespace

struct CCrashReportSender::State {
    explicit State(CrashReportSendSetup s) : setup(std::move(s)) {}

    const CrashReportSendSetup setup;
    CHttpSession session;

    HttpTimeouts Timeouts() const { return {setup.connectTimeoutMs, setup.receiveTimeoutMs}; }

    // Whether the sending may go on: the server took the report whose text
    // is `stem`.txt (and its dump, if any), or the report was kept unsent.
    bool Send(const std::wstring& stem) {
        const std::wstring text = stem + L".txt", dump = stem + L".dmp";
        const bool hasDump = ::GetFileAttributesW(dump.c_str()) != INVALID_FILE_ATTRIBUTES;
        const std::optional<std::string> report = ReadFileUpTo(text, setup.sizeCap);
        const std::optional<std::string> minidump =
            !report   ? std::nullopt
            : hasDump ? ReadFileUpTo(dump, setup.sizeCap - report->size())
                      : std::optional<std::string>("");
        // Too large, or unreadable: skipped and kept.
        if (!report || !minidump)
            return true;
        std::string body =
            Field("prod", setup.id) + Field("ver", setup.version) + Field("report", *report);
        if (hasDump) {
            const std::wstring name = dump.substr(dump.find_last_of(L'\\') + 1);
            body += FileField("upload_file_minidump", std::string(name.begin(), name.end()),
                              "application/octet-stream", *minidump);
        }
        body += std::string("--") + kBoundary + "--\r\n";
        const CHttpSession::Request request = session.OpenRequest(setup.url, "POST", Timeouts());
        if (!request.problem.empty())
            return false;
        const std::string headers =
            std::string("Content-Type: multipart/form-data; boundary=") + kBoundary + "\r\n";
        if (!::HttpSendRequestA(request.request.Get(), headers.c_str(),
                                static_cast<DWORD>(headers.size()), body.data(),
                                static_cast<DWORD>(body.size())))
            return false;
        const DWORD status = HttpStatus(request.request.Get());
        if (status < 200 || status > 299)
            return false;
        ::DeleteFileW(text.c_str());
        if (hasDump)
            ::DeleteFileW(dump.c_str());
        return true;
    }

    void SendAll() {
        if (setup.url.empty() || setup.folder.empty())
            return;
        std::wstring folder = setup.folder;
        if (folder.back() != L'\\')
            folder += L'\\';
        folder += L"crashes\\";
        std::vector<std::wstring> stems;
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((folder + L"crash-*.txt").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.ends_with(L".txt"))
                    stems.push_back(folder + name.substr(0, name.size() - 4));
            } while (::FindNextFileW(search, &found));
            ::FindClose(search);
        }
        if (stems.empty() || !session.Open("GameClientCrashReport/1", Timeouts()))
            return;
        // Oldest first: the names sort by time.
        std::sort(stems.begin(), stems.end());
        for (const std::wstring& stem : stems)
            if (!Send(stem))
                break;
    }
};

namespace {

DWORD WINAPI RunSender(void* parameter) {
    // The thread's own share of the state: the window may be gone first.
    std::unique_ptr<std::shared_ptr<CCrashReportSender::State>> owned(
        static_cast<std::shared_ptr<CCrashReportSender::State>*>(parameter));
    (*owned)->SendAll();
    (*owned)->session.Cancel();
    return 0;
}

} // namespace

CCrashReportSender::CCrashReportSender(CrashReportSendSetup setup)
    : m_state(std::make_shared<State>(std::move(setup))) {
    auto* shared = new std::shared_ptr<State>(m_state);
    m_thread = ::CreateThread(nullptr, 0, RunSender, shared, 0, nullptr);
    if (!m_thread)
        delete shared;
}

CCrashReportSender::~CCrashReportSender() {
    m_state->session.Cancel();
    if (m_thread) {
        ::WaitForSingleObject(m_thread, kJoinWaitMs);
        ::CloseHandle(m_thread);
    }
}

bool CCrashReportSender::Wait(DWORD timeoutMs) const {
    return !m_thread || ::WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
}
