#include "UpdatePrompt.h"

#include "ReleaseName.h"
#include "TextConversion.h"
#include "UpdateDownloadDlg.h"
#include "UpdateSignature.h"

#include <string>

namespace {

// Notes beyond this many characters are cut, so the box fits on a screen.
constexpr std::size_t kLongestNotes = 1500;

std::wstring Notes(const std::string& notes) {
    std::wstring wide = ToWide(notes, CP_UTF8);
    if (wide.size() > kLongestNotes)
        wide = wide.substr(0, kLongestNotes) + L"...";
    return wide;
}

} // namespace

// Code page 936 texts are turned to UTF-16 as the client's other texts
// are shown; the notes come as UTF-8.
std::wstring UpdateText(const char* chinese, const char* english) {
    return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_ENGLISH ? ToWide(english, CP_ACP)
                                                                       : ToWide(chinese, 936);
}

LoginUpdates ReleaseUpdates() {
    const ReleaseIdentity release = BrandedReleaseIdentity();
    const std::optional<UpdateVersion> version = ParseUpdateVersion(release.version);
    if (release.id.empty() || !version)
        return {};
    std::wstring folder = ReleaseDataFolder(release.id);
    if (folder.empty())
        return {};
    LoginUpdates updates;
    if (std::string url = ReadCrashReportUrl(); !url.empty())
        updates.crashReports =
            CrashReportSendSetup{std::move(url), release.id, release.version, folder};
    std::optional<UpdateSource> source = ReadUpdateSource();
    if (!source)
        return updates;
    UpdateCheckSetup setup;
    setup.url = std::move(source->url);
    setup.publicKey = std::move(source->publicKey);
    setup.id = release.id;
    setup.version = *version;
    setup.folder = std::move(folder);
    updates.check = std::move(setup);
    updates.ask = true;
    return updates;
}

UpdateAnswer AskAboutUpdate(HWND owner, const UpdateCheckResult& found,
                            const UpdateVersion& version) {
    const bool mandatory = found.offer == UpdateOffer::Mandatory;
    const std::wstring newer = ToWide(found.description.version.Text(), CP_ACP);
    const std::wstring running = ToWide(version.Text(), CP_ACP);
    std::wstring text =
        mandatory
            ? UpdateText("这个版本已不能继续使用，需要更新到新版本 ",
                         "This version can no longer be played. Please update to version ") +
                  newer + UpdateText("（当前版本 ", " (this is ") + running +
                  UpdateText("）。", ").")
            : UpdateText("发现新版本 ", "A new version is available: ") + newer +
                  UpdateText("（当前版本 ", " (this is ") + running + UpdateText("）。", ").");
    if (!found.description.notes.empty())
        text += L"\r\n\r\n" + Notes(found.description.notes);
    text += L"\r\n\r\n";
    text += mandatory ? UpdateText("选择“确定”立即更新，选择“取消”退出游戏。",
                                   "Choose OK to update now, or Cancel to quit.")
                      : UpdateText("选择“是”立即更新，选择“否”以后再说。",
                                   "Choose Yes to update now, or No to update later.");
    const std::wstring caption = UpdateText("游戏更新", "Game update");
    const int answer = ::MessageBoxW(owner, text.c_str(), caption.c_str(),
                                     (mandatory ? MB_OKCANCEL : MB_YESNO) | MB_ICONINFORMATION);
    if (answer == IDOK || answer == IDYES)
        return UpdateAnswer::UpdateNow;
    return mandatory ? UpdateAnswer::Quit : UpdateAnswer::Later;
}

void TellUpdateFailed(HWND owner, bool mandatory) {
    std::wstring text = UpdateText("更新没有完成，请稍后再试。",
                                   "The update did not complete. Please try again later.");
    if (mandatory)
        text += UpdateText("这个版本已不能继续使用，游戏将关闭。",
                           " This version can no longer be played: the game will close.");
    const std::wstring caption = UpdateText("游戏更新", "Game update");
    ::MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
}

bool DownloadAndInstallUpdate(CWnd* owner, const UpdateCheckSetup& check,
                              const UpdateCheckResult& found, const CUpdateLog& log) {
    const bool mandatory = found.offer == UpdateOffer::Mandatory;
    const std::string version = found.description.version.Text();
    log.Add("update to " + version + " chosen");
    CUpdateDownloadDlg download(check, found.description, mandatory, owner);
    if (download.DoModal() == -1 && download.End() != UpdateDownloadEnd::Verified)
        log.Add("stopped: the download window did not open or was ended");
    if (download.End() == UpdateDownloadEnd::Verified &&
        StartUpdateInstaller(download.Installer(), ::GetCurrentProcessId(), log))
        return true;
    if (!mandatory)
        return false;
    // A release below the minimum cannot be played; the window told of a
    // failed download already.
    if (download.End() != UpdateDownloadEnd::Failed)
        TellUpdateFailed(owner ? owner->m_hWnd : nullptr, true);
    log.Add("the required update to " + version + " was not made: the client ends");
    return true;
}
