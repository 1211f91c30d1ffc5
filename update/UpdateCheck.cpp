#include "UpdateCheck.h"

#include "HttpRequest.h"
#include "UpdateDownload.h"
#include "UpdateSignature.h"
#include "UpdateStore.h"

#include <mutex>
#include <utility>

namespace {

// How long the window waits for the thread when it goes away; after that
// the thread is left to end by its timeouts.
constexpr DWORD kJoinWaitMs = 1000;
constexpr std::size_t kSignatureCap = 64;

} // namespace

struct CUpdateCheck::State {
    explicit State(UpdateCheckSetup s, HWND window, UINT msg)
        : setup(std::move(s)), log(setup.folder), notify(window), message(msg) {}

    const UpdateCheckSetup setup;
    const CUpdateLog log;
    CHttpSession session;

    std::mutex lock;
    HWND notify;
    UINT message;
    std::optional<UpdateCheckResult> result;

    // Closes the connections, so that a blocked call returns.
    void Cancel() {
        {
            std::lock_guard<std::mutex> guard(lock);
            notify = nullptr;
        }
        session.Cancel();
    }
};

namespace {

using State = CUpdateCheck::State;

struct Fetched {
    std::string body;
    // Why there is no body; empty when there is.
    std::string problem;
};

Fetched Failed(std::string problem) {
    return {{}, std::move(problem)};
}

HttpTimeouts Timeouts(const UpdateCheckSetup& setup) {
    return {setup.connectTimeoutMs, setup.receiveTimeoutMs};
}

// The body at `url`, at most `cap` bytes.
Fetched Fetch(State& state, const std::string& url, std::size_t cap) {
    const DWORD started = ::GetTickCount();
    const CHttpSession::Request request =
        state.session.OpenRequest(url, "GET", Timeouts(state.setup));
    if (!request.problem.empty())
        return Failed(request.problem);
    if (!::HttpSendRequestA(request.request.Get(), nullptr, 0, nullptr, 0))
        return Failed(url + ": no answer" + LastErrorText());
    Fetched fetched;
    DWORD length = 0;
    DWORD lengthSize = sizeof(length);
    const bool lengthGiven =
        ::HttpQueryInfoA(request.request.Get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                         &length, &lengthSize, nullptr) != FALSE;
    const DWORD status = HttpStatus(request.request.Get());
    if (status == 0)
        fetched.problem = url + ": no HTTP status";
    else if (status != 200)
        fetched.problem = url + ": HTTP " + std::to_string(status);
    else if (lengthGiven && length > cap)
        fetched.problem = url + ": larger than " + std::to_string(cap) + " bytes";
    char buffer[4096];
    while (fetched.problem.empty()) {
        if (::GetTickCount() - started > state.setup.wholeTimeoutMs) {
            fetched.problem =
                url + ": took longer than " + std::to_string(state.setup.wholeTimeoutMs) + " ms";
            break;
        }
        DWORD got = 0;
        if (!::InternetReadFile(request.request.Get(), buffer, sizeof(buffer), &got)) {
            fetched.problem = url + ": stopped sending" + LastErrorText();
            break;
        }
        if (got == 0)
            break;
        fetched.body.append(buffer, got);
        if (fetched.body.size() > cap)
            fetched.problem = url + ": larger than " + std::to_string(cap) + " bytes";
    }
    if (fetched.problem.empty() && lengthGiven && fetched.body.size() != length)
        fetched.problem = url + ": cut short";
    if (!fetched.problem.empty())
        fetched.body.clear();
    return fetched;
}

UpdateCheckResult Check(State& state) {
    const UpdateCheckSetup& setup = state.setup;
    const CUpdateLog& log = state.log;
    log.Add("checking " + setup.url + " for " + setup.id + " " + setup.version.Text());
    const Fetched description = Fetch(state, setup.url, kUpdateDescriptionCap);
    if (!description.problem.empty()) {
        log.Add("stopped: " + description.problem);
        return {};
    }
    const Fetched signature = Fetch(state, setup.url + ".sig", kSignatureCap);
    if (!signature.problem.empty()) {
        log.Add("stopped: " + signature.problem);
        return {};
    }
    const std::optional<CUpdateKey> key = CUpdateKey::Import(setup.publicKey);
    if (!key || !key->Verifies(description.body, signature.body)) {
        log.Add("stopped: the description's signature does not verify with this release's key");
        return {};
    }
    auto read = ReadUpdateDescription(description.body);
    if (const auto* problem = std::get_if<std::string>(&read)) {
        log.Add("stopped: the signed description is not readable: " + *problem);
        return {};
    }
    UpdateDescription& found = std::get<UpdateDescription>(read);
    log.Add("verified: " + found.id + " " + found.version.Text() + ", published " +
            found.published);
    // This release is the described one or newer: the installers that
    // brought it, and any part of an older one, are of no more use.
    if (found.id == setup.id && found.version <= setup.version)
        if (const unsigned removed = RemoveUpdateDownloads(setup.folder))
            log.Add("removed " + std::to_string(removed) + " earlier download(s)");
    const UpdateVerdict verdict =
        JudgeUpdate(found, setup.id, setup.version, RolloutPlace(setup.folder));
    log.Add((verdict.offer == UpdateOffer::None ? "no update: " : "update found: ") +
            verdict.reason);
    if (verdict.offer == UpdateOffer::None)
        return {};
    return {verdict.offer, std::move(found)};
}

DWORD WINAPI RunCheck(void* parameter) {
    // The thread's own share of the state: the window may be gone first.
    std::unique_ptr<std::shared_ptr<State>> owned(static_cast<std::shared_ptr<State>*>(parameter));
    State& state = **owned;
    const bool session = state.session.Open("GameClientUpdate/1", Timeouts(state.setup));
    UpdateCheckResult result;
    if (!session)
        state.log.Add("stopped: the system's internet functions are not available");
    else
        result = Check(state);
    state.session.Cancel();
    std::lock_guard<std::mutex> guard(state.lock);
    state.result = std::move(result);
    if (state.notify)
        ::PostMessageW(state.notify, state.message, 0, 0);
    return 0;
}

} // namespace

CUpdateCheck::CUpdateCheck(UpdateCheckSetup setup, HWND notify, UINT message)
    : m_state(std::make_shared<State>(std::move(setup), notify, message)) {
    auto* shared = new std::shared_ptr<State>(m_state);
    m_thread = ::CreateThread(nullptr, 0, RunCheck, shared, 0, nullptr);
    if (!m_thread) {
        delete shared;
        m_state->log.Add("stopped: no thread for the check");
        m_state->result = UpdateCheckResult{};
    }
}

CUpdateCheck::~CUpdateCheck() {
    m_state->Cancel();
    if (m_thread) {
        ::WaitForSingleObject(m_thread, kJoinWaitMs);
        ::CloseHandle(m_thread);
    }
}

bool CUpdateCheck::Wait(DWORD timeoutMs) const {
    return !m_thread || ::WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
}

std::optional<UpdateCheckResult> CUpdateCheck::Result() const {
    std::lock_guard<std::mutex> guard(m_state->lock);
    return m_state->result;
}
