#pragma once
// The login window's side of updates: which check a branded release runs,
// how the player is asked about an update found, and the hand-over to the
// download.

#include "CrashReportSender.h"
#include "UpdateCheck.h"
#include "UpdateStore.h"

#include <windows.h>

#include <optional>
#include <string>

class CWnd;

struct LoginUpdates {
    std::optional<UpdateCheckSetup> check;
    // Whether an update found is put to the player; a check alone otherwise.
    bool ask = false;
    // Where the release sends the crash reports it kept; none without an address.
    std::optional<CrashReportSendSetup> crashReports = std::nullopt;
};

// The check of the running executable: a branded release that carries an
// update address and key, and a version and id the check can use; none for
// the client's own build. Likewise the sending of its crash reports, when
// it carries a crash report address.
LoginUpdates ReleaseUpdates();

enum class UpdateAnswer { UpdateNow, Later, Quit };

// Asks the player, in the system's language (English on English systems,
// else Chinese), about the update `found` for the running `version`.
UpdateAnswer AskAboutUpdate(HWND owner, const UpdateCheckResult& found,
                            const UpdateVersion& version);

// Text in the system's language: English on English systems, else the
// Chinese, which is in code page 936.
std::wstring UpdateText(const char* chinese, const char* english);

// Tells the player that the update did not complete and to try again later;
// for a `mandatory` one, that the game closes as this version cannot be played.
void TellUpdateFailed(HWND owner, bool mandatory);

// Downloads the installer of the update `found` by `check` in the download
// window over `owner`, and once it is verified starts it to replace this
// client. Whether the client is to end now: the installer runs (it waits
// for this process), or a mandatory update could not be made (the player
// was told). Otherwise the installed release stays as it was, and the next
// start tries again.
bool DownloadAndInstallUpdate(CWnd* owner, const UpdateCheckSetup& check,
                              const UpdateCheckResult& found, const CUpdateLog& log);
