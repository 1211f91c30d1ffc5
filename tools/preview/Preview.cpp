// The skin preview: shows a skin's login window or game window with the
// client's own window classes, on a blank page, so that a skin author sees
// the layout, hovers and presses the buttons, resizes the game window and
// watches the picture play without a game server.
//
//   preview login|game [SKIN_DIR]
//
// SKIN_DIR (by default the current directory) holds config.xml and data\.
// Closing the window ends the preview.

#include "ConfigStore.h"
#include "EnterGameDlg.h"
#include "MainApp.h"
#include "MainDlg.h"
#include "Afx.h"

#include <string>
#include <vector>

namespace {

constexpr char kUsage[] = "preview login|game [SKIN_DIR]";
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

class CPreviewApp : public CMainApp {
public:
    BOOL InitInstance() override {
        std::vector<std::string> arguments = AfxGetArguments();
        m_showGame = !arguments.empty() && arguments[0] == "game";
        bool valid =
            !arguments.empty() && arguments.size() <= 2 && (m_showGame || arguments[0] == "login");
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
        if (m_showGame) {
            CEnterGameDlg game;
            game.m_gameUrl = kBlankPage;
            m_pMainWnd = &game;
            game.DoModal();
        } else {
            CMainDlg login;
            m_pMainWnd = &login;
            login.DoModal();
        }
    }

private:
    bool m_showGame = false;
};

CPreviewApp theApp;

} // namespace
