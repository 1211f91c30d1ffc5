#pragma once
// The client's look for an update: on a thread of its own, it fetches the
// update description and its signature over WinINet (the system's proxy
// settings, short timeouts, capped sizes), trusts the description only when
// the built-in key signed it, and judges it for this release and this
// installation's roll-out place. Every step goes to the update log.

#include "UpdateDescription.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

struct UpdateCheckSetup {
    // The description's address; its signature is at the same address + ".sig".
    std::string url;
    // DER SubjectPublicKeyInfo (UpdateKeyFormat.h).
    std::string publicKey;
    // The running release.
    std::string id;
    UpdateVersion version;
    // The release's per-user folder, with a trailing backslash.
    std::wstring folder;
    DWORD connectTimeoutMs = 5000;
    // Wait for the first byte, and between bytes.
    DWORD receiveTimeoutMs = 5000;
    // For the description and its signature, from the request to the last byte.
    DWORD wholeTimeoutMs = 15000;
};

struct UpdateCheckResult {
    UpdateOffer offer = UpdateOffer::None;
    // Set when an update is offered.
    UpdateDescription description;
};

// One check, started at construction. `notify` receives `message` when it
// has ended, unless the check is destroyed first.
class CUpdateCheck {
public:
    CUpdateCheck(UpdateCheckSetup setup, HWND notify, UINT message);
    // Stops the check: closes its connections and waits briefly for the
    // thread; a thread still inside a system call is left to end on its
    // own (it owns what it uses) and never reports.
    ~CUpdateCheck();
    CUpdateCheck(const CUpdateCheck&) = delete;
    CUpdateCheck& operator=(const CUpdateCheck&) = delete;

    // Whether the thread ended within `timeoutMs`.
    bool Wait(DWORD timeoutMs) const;
    // The outcome once the thread has ended; nothing before.
    std::optional<UpdateCheckResult> Result() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
    HANDLE m_thread = nullptr;
};
