#pragma once
// The download of an update's installer: on a thread of its own, over
// WinINet, into the release's per-user folder (updates\, not the temporary
// folder that cleaners empty), resumed with a byte range where an earlier
// try stopped, never past the described size, and kept under its own name
// only once its SHA-256 matches the signed description. Every step goes to
// the update log. And the start of the verified installer.

#include "UpdateCheck.h"
#include "UpdateStore.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The installer's address: `installer` itself when it is an absolute
// address, else the file of that name beside the description.
std::string InstallerUrl(std::string_view descriptionUrl, std::string_view installer);
// The name the installer is kept under: the address's last part, with
// letters, digits, '.', '-' and '_' only.
std::wstring InstallerFileName(std::string_view installer);

// The folder of `releaseFolder` the downloads go to, with a trailing backslash.
std::wstring UpdateDownloadFolder(const std::wstring& releaseFolder);

enum class UpdateDownloadEnd { Verified, Cancelled, Failed };

struct UpdateDownloadResult {
    UpdateDownloadEnd end = UpdateDownloadEnd::Failed;
    // The verified installer.
    std::wstring installer;
    // Why it stopped, as logged; empty when verified.
    std::string problem;
};

// One download, started at construction, with the check's address (a
// relative installer is beside the description), folder and timeouts: no
// limit on the whole time (a download may take long), only the receive
// timeout for each byte to come. `notify` receives `progress` with the bytes
// done (wParam) and the described size (lParam) as they come, then
// `ended` once, unless the download is destroyed first.
class CUpdateDownload {
public:
    CUpdateDownload(const UpdateCheckSetup& check, const UpdateDescription& update, HWND notify,
                    UINT progress, UINT ended);
    // Cancels and waits briefly for the thread; a thread still inside a
    // system call is left to end on its own (it owns what it uses).
    ~CUpdateDownload();
    CUpdateDownload(const CUpdateDownload&) = delete;
    CUpdateDownload& operator=(const CUpdateDownload&) = delete;

    // Stops the download, from any thread; what came is kept for the next try.
    void Cancel();
    // Whether the thread ended within `timeoutMs`.
    bool Wait(DWORD timeoutMs) const;
    // The outcome once the thread has ended; nothing before.
    std::optional<UpdateDownloadResult> Result() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
    HANDLE m_thread = nullptr;
};

// Starts the verified `installer` silently to update the client whose
// process is `clientPid` (it waits for that process to end), asking for an
// administrator as its manifest says; whether it started. A refused
// elevation, like any other failure, is logged and leaves all as it was.
bool StartUpdateInstaller(const std::wstring& installer, DWORD clientPid, const CUpdateLog& log);
