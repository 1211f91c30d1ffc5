#include "UpdateDownload.h"

#include "HttpRequest.h"
#include "UpdateSignature.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <mutex>
#include <utility>

namespace {

// How long the window waits for the thread when it goes away; after that
// the thread is left to end by its timeouts.
constexpr DWORD kJoinWaitMs = 1000;
// Progress goes to the window at most this often: a fast line would flood it.
constexpr DWORD kProgressEveryMs = 100;
constexpr DWORD kChunk = 32 * 1024;

bool IsNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

// For the log, which is narrow: other characters as '?'.
std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text)
        narrow += c < 0x80 && c >= 0x20 ? static_cast<char>(c) : '?';
    return narrow;
}

// One string from its parts, with no temporaries in between.
std::string Join(std::initializer_list<std::string_view> parts) {
    std::string joined;
    for (std::string_view part : parts)
        joined += part;
    return joined;
}

std::string Bytes(std::uint64_t count) {
    return std::to_string(count) + " bytes";
}

// A file handle, closed when it goes.
class CFileHandle {
public:
    explicit CFileHandle(HANDLE handle) : m_handle(handle) {}
    ~CFileHandle() { Close(); }
    CFileHandle(const CFileHandle&) = delete;
    CFileHandle& operator=(const CFileHandle&) = delete;
    HANDLE Get() const { return m_handle; }
    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Close() {
        if (Valid())
            ::CloseHandle(std::exchange(m_handle, INVALID_HANDLE_VALUE));
    }

private:
    HANDLE m_handle;
};

} // namespace

std::string InstallerUrl(std::string_view descriptionUrl, std::string_view installer) {
    if (installer.starts_with("http://") || installer.starts_with("https://"))
        return std::string(installer);
    std::string_view base = descriptionUrl.substr(0, descriptionUrl.find_first_of("?#"));
    base = base.substr(0, base.rfind('/') + 1);
    return std::string(base) + std::string(installer);
}

std::wstring InstallerFileName(std::string_view installer) {
    installer = installer.substr(0, installer.find_first_of("?#"));
    installer = installer.substr(installer.rfind('/') + 1);
    std::wstring name;
    for (char c : installer)
        if (IsNameChar(c) && (c != '.' || !name.empty()))
            name += static_cast<wchar_t>(c);
    return name.empty() ? L"setup.exe" : name;
}

std::wstring UpdateDownloadFolder(const std::wstring& releaseFolder) {
    return releaseFolder + L"updates\\";
}

struct CUpdateDownload::State {
    State(const UpdateCheckSetup& check, const UpdateDescription& update, HWND window,
          UINT progressMessage, UINT endedMessage)
        : url(InstallerUrl(check.url, update.installer)), size(update.installerSize),
          sha256(update.installerSha256), folder(UpdateDownloadFolder(check.folder)),
          name(InstallerFileName(update.installer)), timeouts{check.connectTimeoutMs,
                                                              check.receiveTimeoutMs},
          log(check.folder), notify(window), progress(progressMessage), ended(endedMessage) {}

    const std::string url;
    const std::uint64_t size;
    const std::string sha256;
    const std::wstring folder;
    const std::wstring name;
    const HttpTimeouts timeouts;
    const CUpdateLog log;
    CHttpSession session;

    std::mutex lock;
    HWND notify;
    const UINT progress;
    const UINT ended;
    std::optional<UpdateDownloadResult> result;

    // The sizes fit the message: a described size is at most 4 GiB - 1.
    void Post(UINT message, std::uint64_t done) {
        std::lock_guard<std::mutex> guard(lock);
        if (notify)
            ::PostMessageW(notify, message, static_cast<WPARAM>(done),
                           static_cast<LPARAM>(static_cast<DWORD>(size)));
    }
};

namespace {

using State = CUpdateDownload::State;

// How a transfer into the part file ended.
struct Received {
    // Why it stopped; empty when the part holds the described size.
    std::string problem;
    std::uint64_t done = 0;
};

// The size of the file at `path`; 0 when there is none.
std::uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Whether `path` holds the described size and SHA-256.
bool Matches(const State& state, const std::wstring& path) {
    if (FileSize(path) != state.size)
        return false;
    const std::optional<Sha256Digest> digest = Sha256OfFile(path);
    return digest && Sha256Hex(*digest) == state.sha256;
}

// The first byte of a 206 answer's Content-Range ("bytes N-M/T") when its
// total is the described size, or -1.
long long RangeStart(const State& state, HINTERNET request) {
    char value[128] = {};
    DWORD length = sizeof(value) - 1;
    if (!::HttpQueryInfoA(request, HTTP_QUERY_CONTENT_RANGE, value, &length, nullptr) ||
        std::string_view(value).substr(0, 6) != "bytes ")
        return -1;
    char* end = nullptr;
    const unsigned long long start = std::strtoull(value + 6, &end, 10);
    const char* total = std::strchr(end, '/');
    if (end == value + 6 || *end != '-' || !total ||
        std::strtoull(total + 1, nullptr, 10) != state.size)
        return -1;
    return static_cast<long long>(start);
}

// Sends the request for what the part lacks: from `done` on, or the whole
// file when `done` is 0. Sets the answer's status, or why there is none.
CHttpSession::Request Ask(State& state, std::uint64_t done, DWORD& status, std::string& problem) {
    CHttpSession::Request request = state.session.OpenRequest(state.url, "GET", state.timeouts);
    problem = request.problem;
    if (!problem.empty())
        return request;
    const std::string range = done ? Join({"Range: bytes=", std::to_string(done), "-\r\n"}) : "";
    if (!::HttpSendRequestA(request.request.Get(), range.empty() ? nullptr : range.c_str(),
                            static_cast<DWORD>(range.size()), nullptr, 0))
        problem = "no answer" + LastErrorText();
    else
        status = HttpStatus(request.request.Get());
    return request;
}

// Brings `part` to the described size, from where an earlier try left it.
Received Receive(State& state, const std::wstring& part, bool& tooLarge) {
    std::uint64_t done = FileSize(part);
    const char* restart = done > state.size ? "the kept part is larger than described" : nullptr;
    // What is kept shows while the server is asked.
    state.Post(state.progress, restart ? 0 : done);
    CHttpSession::Request request;
    DWORD status = 0;
    std::string problem;
    // A refused range restarts the part, once.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (restart) {
            state.log.Add(Join({"restarting from the first byte: ", restart}));
            done = 0;
            restart = nullptr;
        }
        if (done == state.size)
            return {{}, done};
        request = Ask(state, done, status, problem);
        if (!problem.empty())
            return {problem, done};
        if (done && status == 416)
            restart = "the server refused the range";
        else
            break;
    }
    if (done && status == 200) {
        state.log.Add("restarting from the first byte: the server sent the whole file");
        done = 0;
    } else if (done && status == 206 &&
               RangeStart(state, request.request.Get()) != static_cast<long long>(done)) {
        return {"the answer's range is not the one asked for", done};
    } else if (status != (done ? 206 : 200)) {
        return {"HTTP " + std::to_string(status), done};
    }
    if (done)
        state.log.Add("resumed at " + Bytes(done));
    const std::string tooMuch = "more than the described " + Bytes(state.size);
    DWORD length = 0;
    DWORD lengthSize = sizeof(length);
    if (::HttpQueryInfoA(request.request.Get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                         &length, &lengthSize, nullptr) &&
        length > state.size - done) {
        tooLarge = true;
        return {tooMuch};
    }
    const std::string cannotWrite = Join({"cannot write updates\\", Narrow(state.name), ".part"});
    // Made only now: a refused request leaves no empty part behind.
    CFileHandle file(::CreateFileW(part.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(done);
    if (!file.Valid() || !::SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(file.Get()))
        return {cannotWrite + LastErrorText(), done};
    state.Post(state.progress, done);
    DWORD posted = ::GetTickCount();
    char buffer[kChunk];
    for (;;) {
        // Only what has come is read: a read for more would wait for it, and
        // lose what came should the connection stall.
        DWORD got = 0;
        const BOOL read =
            ::InternetQueryDataAvailable(request.request.Get(), &got, 0, 0) &&
            (got == 0 || ::InternetReadFile(request.request.Get(), buffer,
                                            std::min<DWORD>(got, sizeof(buffer)), &got));
        if (!read || got == 0) {
            if (done == state.size)
                break;
            return {Join({"the connection ended at ", Bytes(done), " of ",
                          std::to_string(state.size), read ? "" : LastErrorText()}),
                    done};
        }
        if (got > state.size - done) {
            tooLarge = true;
            return {tooMuch};
        }
        DWORD written = 0;
        // What was written is a prefix of the file still: kept for the next try.
        if (!::WriteFile(file.Get(), buffer, got, &written, nullptr) || written != got)
            return {cannotWrite + LastErrorText(), done + written};
        done += got;
        if (::GetTickCount() - posted >= kProgressEveryMs || done == state.size) {
            state.Post(state.progress, done);
            posted = ::GetTickCount();
        }
    }
    state.log.Add("downloaded " + Bytes(done));
    return {{}, done};
}

UpdateDownloadResult Stop(State& state, std::string problem, std::uint64_t done) {
    if (state.session.Cancelled()) {
        state.log.Add(Join({"cancelled at ", Bytes(done), " of ", std::to_string(state.size),
                            "; kept for the next try"}));
        return {UpdateDownloadEnd::Cancelled, {}, "cancelled"};
    }
    state.log.Add("stopped: " + problem);
    return {UpdateDownloadEnd::Failed, {}, std::move(problem)};
}

UpdateDownloadResult Download(State& state) {
    const std::wstring installer = state.folder + state.name;
    const std::wstring part = installer + L".part";
    state.log.Add(Join({"downloading ", state.url, " (", Bytes(state.size), ") to updates\\",
                        Narrow(state.name)}));
    if (!::CreateDirectoryW(state.folder.c_str(), nullptr) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS)
        return Stop(state, "cannot make the folder updates" + LastErrorText(), 0);
    // Verified by an earlier try that did not get to run it.
    if (!Matches(state, installer)) {
        ::DeleteFileW(installer.c_str());
        bool tooLarge = false;
        const Received received = Receive(state, part, tooLarge);
        if (tooLarge)
            ::DeleteFileW(part.c_str());
        if (!received.problem.empty())
            return Stop(state, received.problem + (tooLarge ? "; deleted" : ""), received.done);
        if (!Matches(state, part)) {
            ::DeleteFileW(part.c_str());
            return Stop(state, "the SHA-256 of the file differs from the description's; deleted",
                        received.done);
        }
        if (!::MoveFileExW(part.c_str(), installer.c_str(), MOVEFILE_REPLACE_EXISTING))
            return Stop(state, "cannot rename the file" + LastErrorText(), received.done);
    }
    state.log.Add("verified: " + Bytes(state.size) + ", SHA-256 as described");
    return {UpdateDownloadEnd::Verified, installer, {}};
}

DWORD WINAPI RunDownload(void* parameter) {
    // The thread's own share of the state: the window may be gone first.
    std::unique_ptr<std::shared_ptr<State>> owned(static_cast<std::shared_ptr<State>*>(parameter));
    State& state = **owned;
    UpdateDownloadResult result;
    if (!state.session.Open("GameClientUpdate/1", state.timeouts))
        result = Stop(state, "the system's internet functions are not available", 0);
    else
        result = Download(state);
    state.session.Cancel();
    {
        std::lock_guard<std::mutex> guard(state.lock);
        state.result = std::move(result);
    }
    state.Post(state.ended, 0);
    return 0;
}

} // namespace

CUpdateDownload::CUpdateDownload(const UpdateCheckSetup& check, const UpdateDescription& update,
                                 HWND notify, UINT progress, UINT ended)
    : m_state(std::make_shared<State>(check, update, notify, progress, ended)) {
    auto* shared = new std::shared_ptr<State>(m_state);
    m_thread = ::CreateThread(nullptr, 0, RunDownload, shared, 0, nullptr);
    if (!m_thread) {
        delete shared;
        m_state->log.Add("stopped: no thread for the download");
        m_state->result = UpdateDownloadResult{UpdateDownloadEnd::Failed, {}, "no thread"};
        m_state->Post(ended, 0);
    }
}

CUpdateDownload::~CUpdateDownload() {
    {
        std::lock_guard<std::mutex> guard(m_state->lock);
        m_state->notify = nullptr;
    }
    Cancel();
    if (m_thread) {
        ::WaitForSingleObject(m_thread, kJoinWaitMs);
        ::CloseHandle(m_thread);
    }
}

void CUpdateDownload::Cancel() {
    m_state->session.Cancel();
}

bool CUpdateDownload::Wait(DWORD timeoutMs) const {
    return !m_thread || ::WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
}

std::optional<UpdateDownloadResult> CUpdateDownload::Result() const {
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->result;
}

bool StartUpdateInstaller(const std::wstring& installer, DWORD clientPid, const CUpdateLog& log) {
    const std::wstring parameters = L"/S /UPDATE=" + std::to_wstring(clientPid);
    // ShellExecuteEx, not CreateProcess: the installer's manifest asks for
    // an administrator, and only the shell can ask the player for one.
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = installer.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    const std::string run = Join({Narrow(installer.substr(installer.find_last_of(L"\\/") + 1)),
                                  " /S /UPDATE=", std::to_string(clientPid)});
    if (::ShellExecuteExW(&info)) {
        log.Add("run: " + run);
        return true;
    }
    const DWORD error = ::GetLastError();
    log.Add(Join({"not run: ", run,
                  error == ERROR_CANCELLED ? ": the player refused the administrator's permission"
                                           : " (error " + std::to_string(error) + ")"}));
    return false;
}
