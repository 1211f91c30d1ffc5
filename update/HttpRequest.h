#pragma once
// The WinINet plumbing the client's own requests share: a session with the
// system's proxy settings that another thread may close to cancel whatever
// is under way, short timeouts on every handle, and a request opened for an
// http(s) address.

#include <windows.h>
#include <wininet.h>

#include <mutex>
#include <string>
#include <utility>

// A WinINet handle, closed when it goes.
class CInternetHandle {
public:
    explicit CInternetHandle(HINTERNET handle = nullptr) : m_handle(handle) {}
    CInternetHandle(CInternetHandle&& other) noexcept : m_handle(other.m_handle) {
        other.m_handle = nullptr;
    }
    CInternetHandle& operator=(CInternetHandle&& other) noexcept {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    CInternetHandle(const CInternetHandle&) = delete;
    CInternetHandle& operator=(const CInternetHandle&) = delete;
    ~CInternetHandle() {
        if (m_handle)
            ::InternetCloseHandle(m_handle);
    }
    HINTERNET Get() const { return m_handle; }

private:
    HINTERNET m_handle;
};

struct HttpTimeouts {
    DWORD connectMs = 5000;
    // Wait for the first byte, and between bytes (sending too).
    DWORD receiveMs = 5000;
};

// A session one thread works in and another may cancel: Cancel closes it,
// so that a blocked call returns, and no request starts after it.
class CHttpSession {
public:
    CHttpSession() = default;
    ~CHttpSession() { Cancel(); }
    CHttpSession(const CHttpSession&) = delete;
    CHttpSession& operator=(const CHttpSession&) = delete;

    // Opens the session unless cancelled; false when there is none.
    bool Open(const char* agent, const HttpTimeouts& timeouts);
    void Cancel();
    bool Cancelled() const;

    struct Request {
        CInternetHandle connection;
        CInternetHandle request;
        // Why there is no request; empty when there is.
        std::string problem;
    };
    // A `verb` request for `url`, not yet sent, with the timeouts on its handles.
    Request OpenRequest(const std::string& url, const char* verb,
                        const HttpTimeouts& timeouts) const;

private:
    mutable std::mutex m_lock;
    bool m_cancelled = false;
    HINTERNET m_session = nullptr;
};

// The status of a sent request; 0 when there is none.
DWORD HttpStatus(HINTERNET request);
// " (error N)" for the calling thread's last error.
std::string LastErrorText();
