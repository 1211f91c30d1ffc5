#include "UpdatePrompt.h"

#include "ReleaseName.h"
#include "TextConversion.h"
#include "UpdateSignature.h"

#include <string>

namespace {

// The prompt is shown once the download exists.
constexpr bool kUpdateDownloadBuilt = false;
// Notes beyond this many characters are cut, so the box fits on a screen.
constexpr std::size_t kLongestNotes = 1500;

bool EnglishSystem() {
    return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_ENGLISH;
}

// Code page 936 texts are turned to UTF-16 as the client's other texts
// are shown; the notes come as UTF-8.
std::wstring Text(const char* chinese, const char* english) {
    return EnglishSystem() ? ToWide(english, CP_ACP) : ToWide(chinese, 936);
}

std::wstring Notes(const std::string& notes) {
    std::wstring wide = ToWide(notes, CP_UTF8);
    if (wide.size() > kLongestNotes)
        wide = wide.substr(0, kLongestNotes) + L"...";
    return wide;
}

} // namespace

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
    updates.ask = kUpdateDownloadBuilt;
    return updates;
}

UpdateAnswer AskAboutUpdate(HWND owner, const UpdateCheckResult& found,
                            const UpdateVersion& version) {
    const bool mandatory = found.offer == UpdateOffer::Mandatory;
    const std::wstring newer = ToWide(found.description.version.Text(), CP_ACP);
    const std::wstring running = ToWide(version.Text(), CP_ACP);
    std::wstring text =
        mandatory ? Text("这个版本已不能继续使用，需要更新到新版本 ",
                         "This version can no longer be played. Please update to version ") +
                        newer + Text("（当前版本 ", " (this is ") + running + Text("）。", ").")
                  : Text("发现新版本 ", "A new version is available: ") + newer +
                        Text("（当前版本 ", " (this is ") + running + Text("）。", ").");
    if (!found.description.notes.empty())
        text += L"\r\n\r\n" + Notes(found.description.notes);
    text += L"\r\n\r\n";
    text += mandatory ? Text("选择“确定”立即更新，选择“取消”退出游戏。",
                             "Choose OK to update now, or Cancel to quit.")
                      : Text("选择“是”立即更新，选择“否”以后再说。",
                             "Choose Yes to update now, or No to update later.");
    const std::wstring caption = Text("游戏更新", "Game update");
    const int answer = ::MessageBoxW(owner, text.c_str(), caption.c_str(),
                                     (mandatory ? MB_OKCANCEL : MB_YESNO) | MB_ICONINFORMATION);
    if (answer == IDOK || answer == IDYES)
        return UpdateAnswer::UpdateNow;
    return mandatory ? UpdateAnswer::Quit : UpdateAnswer::Later;
}

bool DownloadAndInstallUpdate(const UpdateDescription& update, const CUpdateLog& log) {
    log.Add("update to " + update.version.Text() +
            " chosen; not installed: the download is not "
            "built yet");
    return false;
}
