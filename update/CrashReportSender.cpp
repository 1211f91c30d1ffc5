#include "CrashReportSender.h"

#include "HttpRequest.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>
#include <vector>

namespace {

// How long the window waits for the thread when it goes away.
constexpr DWORD kJoinWaitMs = 1000;
constexpr char kBoundary[] = "GameClientCrashReport7d9f3a61c2b84e05";

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(file), {}};
    if (file.bad())
        return std::nullopt;
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

    // Whether the server took the report `text` (and its dump, if any).
    bool Send(const std::filesystem::path& text) {
        std::filesystem::path dump = text;
        dump.replace_extension(".dmp");
        std::error_code error;
        const bool hasDump = std::filesystem::exists(dump, error);
        // A size that cannot be read is as good as too large: skipped and kept.
        const std::uintmax_t textSize = std::filesystem::file_size(text, error);
        const std::uintmax_t dumpSize = hasDump ? std::filesystem::file_size(dump, error) : 0;
        if (textSize > setup.sizeCap || dumpSize > setup.sizeCap - textSize)
            return true;
        const std::optional<std::string> report = ReadFileBytes(text);
        const std::optional<std::string> minidump =
            hasDump ? ReadFileBytes(dump) : std::optional<std::string>("");
        if (!report || !minidump)
            return true;
        std::string body =
            Field("prod", setup.id) + Field("ver", setup.version) + Field("report", *report);
        if (hasDump)
            body += FileField("upload_file_minidump", dump.filename().string(),
                              "application/octet-stream", *minidump);
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
        std::filesystem::remove(text, error);
        if (hasDump)
            std::filesystem::remove(dump, error);
        return true;
    }

    void SendAll() {
        if (setup.url.empty() || setup.folder.empty())
            return;
        std::error_code error;
        std::vector<std::filesystem::path> reports;
        const std::filesystem::path folder = std::filesystem::path(setup.folder) / L"crashes";
        for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
            const std::wstring name = entry.path().filename().wstring();
            if (entry.is_regular_file(error) && name.rfind(L"crash-", 0) == 0 &&
                entry.path().extension() == L".txt")
                reports.push_back(entry.path());
        }
        if (reports.empty() || !session.Open("GameClientCrashReport/1", Timeouts()))
            return;
        // Oldest first: the names sort by time.
        std::sort(reports.begin(), reports.end());
        for (const auto& report : reports)
            if (!Send(report))
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
