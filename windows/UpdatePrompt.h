#pragma once
// The login window's side of updates: which check a branded release runs,
// how the player is asked about an update found, and the hand-over to the
// download.

#include "CrashReportSender.h"
#include "UpdateCheck.h"
#include "UpdateStore.h"

#include <windows.h>

#include <optional>

struct LoginUpdates {
    std::optional<UpdateCheckSetup> check;
    // Whether an update found is put to the player. Off in releases while
    // the download is not built: "update now" would lead nowhere, and a
    // mandatory update would leave "quit" as the only way on.
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

// Downloads and runs the installer of `update`. The download is not built
// yet: this logs so and returns false.
bool DownloadAndInstallUpdate(const UpdateDescription& update, const CUpdateLog& log);
