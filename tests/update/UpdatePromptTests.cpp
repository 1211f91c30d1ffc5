// The login window's side of the check: it shows without waiting for the
// check and closes during a stalled one; an update found is put to the
// player with its version and notes, and each answer does what it says
// ("quit" ends the login window; "update now" opens the download window,
// whose failure or cancel leaves the login window open, unless the update
// is mandatory).

#include "ChildProcess.h"
#include "ConfigStore.h"
#include "EnterGameDlg.h"
#include "LoginWindows.h"
#include "MainDlg.h"
#include "ReleaseName.h"
#include "MessageBoxAnswerer.h"
#include "TimedSteps.h"
#include "TranslucentDialog.h"
#include "UpdateDownloadDlg.h"
#include "WinApp.h"
#include "UpdateServerTest.h"
#include "UpdateStore.h"

namespace {

class UpdatePromptTest : public UpdateServerTest {
protected:
    void SetUp() override {
        TempDir dir;
        dir.Write("config.xml", "<config><login_url>about:blank</login_url></config>");
        ScopedCurrentDirectory cwd(dir.Path());
        CConfigStore::Instance().Load();
    }
};

TEST_F(UpdatePromptTest, TheLoginWindowShowsAndClosesWhileTheServerStalls) {
    m_server.Serve(kDescriptionPath, HttpRoute::Stalled());
    UpdateCheckSetup stalled = Setup();
    // Longer than the test: the window closes in the middle of the stall.
    stalled.receiveTimeoutMs = stalled.wholeTimeoutMs = 600000;
    CMainDlg login(LoginUpdates{stalled, true});
    bool shownWhileChecking = false;
    std::string logWhenClosed;
    CTimedSteps steps({
        [&] { return !m_server.Requests().empty(); },
        Do([&] {
            shownWhileChecking = login.IsWindowVisible() && login.Backdrop()->IsWindowVisible();
            logWhenClosed = Kept("update.log");
            login.Backdrop()->SendMessage(WM_CLOSE);
        }),
    });
    login.DoModal();
    EXPECT_TRUE(steps.Finished() && steps.GivenUp().empty()) << "the check never asked";
    EXPECT_TRUE(shownWhileChecking);
    EXPECT_NE(logWhenClosed.find("checking"), std::string::npos);
    EXPECT_EQ(logWhenClosed.find("stopped"), std::string::npos) << "the stall ended first";
}

TEST_F(UpdatePromptTest, TheOfferIsPutToThePlayerAndEachAnswerDoesWhatItSays) {
    Serve({200, m_description}, {200, m_signature});
    KeepPlace(0);
    const struct {
        UpdateVersion running;
        int button;
        const char* logged;
        bool quits;
    } cases[] = {
        {{2, 0, 5}, IDNO, "update to 2.1.0 put off by the player", false},
        {{1, 9, 0}, IDCANCEL, "the player quit rather than update to the required 2.1.0", true},
    };
    for (const auto& c : cases) {
        CMainDlg login(LoginUpdates{Setup(c.running), true});
        MessageBoxAnswerer answerer(c.button);
        bool closedByTest = false;
        int ticks = 0;
        CTimedSteps steps({
            [&] { return answerer.Answered(); },
            // A login window that quits is gone before this.
            [&] {
                if (++ticks < 10)
                    return false;
                closedByTest = true;
                login.Backdrop()->SendMessage(WM_CLOSE);
                return true;
            },
        });
        login.DoModal();
        const std::string what = c.running.Text() + " answered " + std::to_string(c.button);
        ASSERT_TRUE(answerer.Wait()) << what;
        EXPECT_EQ(answerer.Caption(), "游戏更新") << what;
        EXPECT_NE(answerer.Text().find("2.1.0"), std::string::npos) << answerer.Text();
        EXPECT_NE(answerer.Text().find("修复了登录问题。"), std::string::npos) << answerer.Text();
        EXPECT_NE(answerer.Text().find(c.running.Text()), std::string::npos) << answerer.Text();
        EXPECT_NE(Kept("update.log").find(c.logged), std::string::npos) << Kept("update.log");
        EXPECT_EQ(closedByTest, !c.quits) << what;
    }
}

// The download window over the login window, found by its progress bar.
BOOL CALLBACK FindDownloadWindow(HWND window, LPARAM result) {
    if (!::IsWindowVisible(window) || !::GetDlgItem(window, CUpdateDownloadDlg::kProgressBar))
        return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

HWND DownloadWindow() {
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindDownloadWindow,
                        reinterpret_cast<LPARAM>(&found));
    return found;
}

std::string TextOf(HWND window) {
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof(text));
    return text;
}

TEST_F(UpdatePromptTest, UpdateNowOpensTheDownloadWindowAndOnlyAMandatoryUpdateEndsOnFailure) {
    Serve({200, m_description}, {200, m_signature});
    KeepPlace(0);
    // The installer never comes: the download stops at the receive timeout.
    m_server.Serve("/updates/UpdateGame-2.1.0-setup.exe", HttpRoute::Stalled());
    const struct {
        UpdateVersion running;
        int promptButton;
        // In the download window (cancel) or the box telling of the failure.
        int thenButton;
        const char* logged;
        bool quits;
    } cases[] = {
        {{2, 0, 5}, IDYES, IDOK, "stopped: no answer", false},
        {{2, 0, 5}, IDYES, IDCANCEL, "cancelled at 0 bytes", false},
        {{1, 9, 0}, IDOK, IDOK, "the required update to 2.1.0 was not made", true},
    };
    for (const auto& c : cases) {
        const std::string what = c.running.Text() + " then " + std::to_string(c.thenButton);
        const std::size_t logged = Kept("update.log").size();
        CMainDlg login(LoginUpdates{Setup(c.running), true});
        MessageBoxAnswerer prompt(c.promptButton);
        std::unique_ptr<MessageBoxAnswerer> then;
        std::string version, amount;
        bool closedByTest = false;
        CTimedSteps steps({
            [&] { return prompt.Answered(); },
            [&] {
                const HWND window = DownloadWindow();
                if (window) {
                    version = TextOf(::GetDlgItem(window, CUpdateDownloadDlg::kVersionLine));
                    amount = TextOf(::GetDlgItem(window, CUpdateDownloadDlg::kAmountLine));
                    then = std::make_unique<MessageBoxAnswerer>(c.thenButton);
                }
                return window != nullptr;
            },
            [&] { return then->Answered(); },
            [&] { return Kept("update.log").find(c.logged, logged) != std::string::npos; },
            // A login window that ends is gone before this.
            Do([&] {
                closedByTest = true;
                login.Backdrop()->SendMessage(WM_CLOSE);
            }),
        });
        login.DoModal();
        EXPECT_TRUE(steps.GivenUp().empty()) << what << ": step " << steps.GivenUp().front();
        EXPECT_EQ(version, "正在下载新版本 2.1.0") << what;
        EXPECT_NE(amount.find("已下载 0.0 MB，还剩 "), std::string::npos) << amount;
        if (then && c.thenButton == IDOK) {
            EXPECT_NE(then->Text().find("请稍后再试"), std::string::npos) << then->Text();
        }
        EXPECT_NE(Kept("update.log").find(c.logged, logged), std::string::npos) << what;
        EXPECT_EQ(closedByTest, !c.quits) << what;
    }
}

TEST_F(UpdatePromptTest, NoPlayerInTheMiddleOfAGameIsAsked) {
    // The description comes once the game window is open.
    HttpRoute late(200, m_description);
    late.held = true;
    Serve(late, {200, m_signature});
    KeepPlace(0);
    CWinApp app("update prompt test");
    UpdateCheckSetup patient = Setup();
    patient.receiveTimeoutMs = patient.wholeTimeoutMs = 30000;
    CMainDlg login(LoginUpdates{patient, true});
    app.m_pMainWnd = &login;
    bool foundInGame = false;
    // Answers a prompt, were there one, so that the test ends either way.
    MessageBoxAnswerer prompt(IDNO, 0, 15000);
    int ticks = 0;
    CTimedSteps steps({
        Do([&] {
            CTimedSteps inGame({
                Do([&] { m_server.ReleaseHeld(); }),
                [&] { return Kept("update.log").find("update found") != std::string::npos; },
                // Time for a prompt to show, were there one.
                [&] { return ++ticks >= 10; },
                Do([&] {
                    foundInGame = Kept("update.log").find("update found") != std::string::npos;
                    if (auto* game = dynamic_cast<CEnterGameDlg*>(app.m_pMainWnd))
                        game->EndDialog(IDCANCEL);
                }),
            });
            login.ShowGame("about:blank#game");
            EXPECT_TRUE(inGame.Finished());
        }),
        Do([&] { login.Backdrop()->SendMessage(WM_CLOSE); }),
    });
    login.DoModal();
    // The quit that ended the game window is not left for the next test.
    MSG quit;
    ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    EXPECT_TRUE(foundInGame) << Kept("update.log");
    EXPECT_FALSE(prompt.Wait()) << prompt.Caption();
}

TEST(ReleaseDataFolder, IsMadeUnderTheLocalApplicationDataForAReleaseIdOnly) {
    const std::wstring folder = ReleaseDataFolder("Update.Game_2-x");
    ASSERT_GT(folder.size(), 18u);
    EXPECT_EQ(folder.substr(folder.size() - 17), L"\\Update.Game_2-x\\");
    EXPECT_NE(::GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    ::RemoveDirectoryW(folder.c_str());
    for (const char* id : {"", "..", ".hidden", "a\\b", "a/b", "C:x", "a b", "\xD3\xCE"})
        EXPECT_TRUE(ReleaseDataFolder(id).empty()) << id;
}

TEST(ReleaseUpdateCheck, TheBrandedReleaseChecksItsOwnAddressAndThePlainClientNone) {
    EXPECT_FALSE(ReleaseUpdates().check) << "the client's own build looks for updates";
    const std::wstring folder = ReleaseDataFolder("UpdateGame");
    ASSERT_FALSE(folder.empty());
    ::DeleteFileW((folder + kUpdateLogFile).c_str());
    const std::string stage = ToNarrow(InUpdateDir(L"stage"), CP_ACP);
    ChildProcess branded(stage + "\\UpdateGame.exe", "", stage);
    ASSERT_NE(WaitForLoginWindow(branded).content, nullptr);
    // Nothing listens at the release's address: the check stops there.
    std::string log;
    for (int tries = 0; tries < 300 && log.find("stopped") == std::string::npos; ++tries) {
        ::Sleep(100);
        std::ifstream file((folder + kUpdateLogFile).c_str(), std::ios::binary);
        log.assign(std::istreambuf_iterator<char>(file), {});
    }
    branded.Terminate();
    const std::string url = "https://127.0.0.1/updates/UpdateGame-update.json";
    EXPECT_NE(log.find("checking " + url + " for UpdateGame 2.1.0"), std::string::npos) << log;
    EXPECT_NE(log.find("stopped: " + url + ": "), std::string::npos) << log;
}

} // namespace
