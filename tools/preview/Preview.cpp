// The skin preview: shows a skin's login window or game window with the
// client's own window classes, on a blank page, so that a skin author sees
// the layout, hovers and presses the buttons, resizes the game window and
// watches the picture play without a game server.
//
//   preview [--close-after SECONDS] login|game [SKIN_DIR]
//
// SKIN_DIR (by default the current directory) holds config.xml and data\.
// Closing the window ends the preview; --close-after closes it as the player
// would after SECONDS, so a script can show skin after skin and learn from
// the exit status whether each window also closed cleanly.

#include "ConfigStore.h"
#include "EnterGameDlg.h"
#include "MainApp.h"
#include "MainDlg.h"
#include "Afx.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kUsage[] = "preview [--close-after SECONDS] login|game [SKIN_DIR]";
constexpr char kBlankPage[] = "about:blank";

std::string CurrentDirectory() {
    std::string directory(MAX_PATH, '\0');
    DWORD length = ::GetCurrentDirectoryA(MAX_PATH, directory.data());
    if (length > MAX_PATH) {
        directory.resize(length);
        length = ::GetCurrentDirectoryA(length, directory.data());
    }
    directory.resize(length);
    return directory;
}

// Whole seconds from 1 to a day; 0 for anything else.
UINT SecondsOf(const std::string& text) {
    char* end = nullptr;
    const unsigned long seconds = std::strtoul(text.c_str(), &end, 10);
    const bool plain = !text.empty() && text[0] >= '0' && text[0] <= '9' && *end == '\0';
    return plain && seconds >= 1 && seconds <= 86400 ? static_cast<UINT>(seconds) : 0;
}

// A thread timer: it fires in whichever window's message loop runs.
void CALLBACK CloseMainWindow(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    CWnd* window = AfxGetApp()->m_pMainWnd;
    if (window && window->m_hWnd)
        ::PostMessageA(window->m_hWnd, WM_CLOSE, 0, 0);
}

class CPreviewApp : public CMainApp {
public:
    BOOL InitInstance() override {
        std::vector<std::string> arguments = AfxGetArguments();
        bool valid = true;
        if (!arguments.empty() && arguments[0] == "--close-after") {
            m_closeAfterSeconds = arguments.size() > 1 ? SecondsOf(arguments[1]) : 0;
            valid = m_closeAfterSeconds != 0;
            arguments.erase(arguments.begin(),
                            arguments.begin() + std::min<size_t>(2, arguments.size()));
        }
        m_showGame = !arguments.empty() && arguments[0] == "game";
        valid = valid && !arguments.empty() && arguments.size() <= 2 &&
                (m_showGame || arguments[0] == "login");
        // The skin is read from the current directory, as the client reads it.
        if (valid && arguments.size() == 2 && !::SetCurrentDirectoryA(arguments[1].c_str()))
            valid = false;
        if (!valid) {
            ::MessageBoxA(nullptr, kUsage, "preview", MB_OK | MB_ICONINFORMATION);
            return FALSE;
        }
        return CMainApp::InitInstance();
    }

protected:
    void RunWindows() override {
        CConfigStore& store = CConfigStore::Instance();
        store.SetValue("login_url", kBlankPage);
        store.SetSkinFolder(CurrentDirectory());
        if (m_closeAfterSeconds)
            ::SetTimer(nullptr, 0, m_closeAfterSeconds * 1000, &CloseMainWindow);
        if (m_showGame) {
            CEnterGameDlg game;
            game.m_gameUrl = kBlankPage;
            // The blank page is the preview's own: it may call the commands.
            game.m_browser.TrustAddress(kBlankPage);
            m_pMainWnd = &game;
            game.DoModal();
        } else {
            CMainDlg login;
            login.Browser().TrustAddress(kBlankPage);
            m_pMainWnd = &login;
            login.DoModal();
        }
    }

private:
    bool m_showGame = false;
    UINT m_closeAfterSeconds = 0;
};

CPreviewApp theApp;

} // namespace
