#include "HttpRequest.h"

#include <utility>

namespace {

// The timeouts go on every handle: which level a WinINet honours differs.
void SetTimeouts(HINTERNET handle, const HttpTimeouts& timeouts) {
    ::InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT,
                         const_cast<DWORD*>(&timeouts.connectMs), sizeof(DWORD));
    for (DWORD option : {INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT})
        ::InternetSetOptionA(handle, option, const_cast<DWORD*>(&timeouts.receiveMs),
                             sizeof(DWORD));
}

CHttpSession::Request Refused(std::string problem) {
    CHttpSession::Request refused;
    refused.problem = std::move(problem);
    return refused;
}

} // namespace

bool CHttpSession::Open(const char* agent, const HttpTimeouts& timeouts) {
    HINTERNET session = ::InternetOpenA(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session)
        return false;
    SetTimeouts(session, timeouts);
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_cancelled || m_session) {
        ::InternetCloseHandle(session);
        return m_session != nullptr;
    }
    m_session = session;
    return true;
}

void CHttpSession::Cancel() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_cancelled = true;
    if (m_session)
        ::InternetCloseHandle(std::exchange(m_session, nullptr));
}

bool CHttpSession::Cancelled() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_cancelled;
}

CHttpSession::Request CHttpSession::OpenRequest(const std::string& url, const char* verb,
                                                const HttpTimeouts& timeouts) const {
    HINTERNET session = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_cancelled || !m_session)
            return Refused("the client is closing");
        session = m_session;
    }
    char host[256] = {};
    std::string path(url.size() + 1, '\0');
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof(host);
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    if (!::InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        return Refused(url + ": not an http(s) address");
    path.resize(parts.dwUrlPathLength);
    Request opened;
    opened.connection = CInternetHandle(::InternetConnectA(session, host, parts.nPort, nullptr,
                                                           nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!opened.connection.Get())
        return Refused(url + ": cannot connect" + LastErrorText());
    SetTimeouts(opened.connection.Get(), timeouts);
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                        INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_COOKIES |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTH |
                        (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    opened.request = CInternetHandle(::HttpOpenRequestA(opened.connection.Get(), verb, path.c_str(),
                                                        nullptr, nullptr, nullptr, flags, 0));
    if (!opened.request.Get())
        opened.problem = url + ": cannot make the request" + LastErrorText();
    else
        SetTimeouts(opened.request.Get(), timeouts);
    return opened;
}

DWORD HttpStatus(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!::HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                          nullptr))
        return 0;
    return status;
}

std::string LastErrorText() {
    return " (error " + std::to_string(::GetLastError()) + ")";
}
