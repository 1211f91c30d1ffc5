// The game window hidden in the notification area when the process ends at
// once from elsewhere, run as a child process in a folder with a skin. With
// "close" the login window's close button is confirmed, with "handover" the
// game page hands the game over. Prints "in tray: yes|no" and the icon's
// tip when the icon should be up and, as the last thing the process does,
// "icon at exit: yes|no". Exit status: 1 from the path taken; 2 when it never ended.

#include "ConfigStore.h"
#include "EnterGameDlg.h"
#include "MainDlg.h"
#include "MessageBoxAnswerer.h"
#include "TimedSteps.h"
#include "TranslucentDialog.h"
#include "WinApp.h"

#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

HWND g_game = nullptr;

const char* IconShown() {
    NOTIFYICONDATAA record{};
    record.cbSize = sizeof(record);
    record.hWnd = g_game;
    record.uID = CEnterGameDlg::kTrayIconId;
    return g_game && ::Shell_NotifyIconA(NIM_MODIFY, &record) ? "yes" : "no";
}

void ReportIconAtExit() {
    std::printf("icon at exit: %s\n", IconShown());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const std::string path = argc > 1 ? argv[1] : "";
    if (FAILED(::OleInitialize(nullptr)))
        return 3;
    AfxEnableControlContainer();
    CWinApp app("tray exit");
    CConfigStore::Instance().Load();
    // Registered before anything of the client's, so it runs after all of it.
    std::atexit(&ReportIconAtExit);
    CMainDlg login;
    app.m_pMainWnd = &login;
    CEnterGameDlg* game = nullptr;
    std::unique_ptr<MessageBoxAnswerer> answer;
    const std::vector<CTimedSteps::Step> inGame = {
        [&] {
            game = dynamic_cast<CEnterGameDlg*>(app.m_pMainWnd);
            return game && game->IsWindowVisible();
        },
        Do([&] { game->PostMessage(WM_COMMAND, MAKEWPARAM(1014, BN_CLICKED), 0); }),
        [&] { return !game->IsWindowVisible(); },
        Do([&] {
            g_game = game->m_hWnd;
            std::printf("in tray: %s\ntip: %s\n", IconShown(), game->m_trayIcon.szTip);
            std::fflush(stdout);
            if (path == "close") {
                answer = std::make_unique<MessageBoxAnswerer>(IDOK);
                login.PostMessage(WM_COMMAND, MAKEWPARAM(1000, BN_CLICKED), 0);
            } else {
                game->m_browser.Navigate("C:\\game\\web\\main.html");
            }
        }),
        Do([&] { game->m_browser.Navigate("http://host/path/page.html#k=1"); }),
        [] { return false; },
    };
    CTimedSteps steps({
        [&] { return login.Browser().m_hWnd && login.Backdrop()->IsWindowVisible(); },
        Do([&] {
            CTimedSteps gameSteps(inGame);
            login.ShowGame("about:blank");
        }),
    });
    login.DoModal();
    return 2;
}
