#pragma once
// The login window: the operator's login page in an embedded browser over
// the translucent backdrop, with minimise and close buttons.

#include "ImgWnd.h"
#include "ScriptCommandTargets.h"
#include "SimpleBrowser.h"
#include "SkinButton.h"
#include "UpdatePrompt.h"
#include "WindowIcons.h"

#include <memory>
#include <optional>

class CMainDlg : public CImgWnd, public CLoginWindowCommands {
public:
    // The running release's update check unless told otherwise.
    explicit CMainDlg(LoginUpdates updates = ReleaseUpdates());
    ~CMainDlg() override;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnInitDialog() override;

    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

    // What the pages' commands do with the login window.
    void ShowBackdrop(int command) override;
    void ShowGame(const char* address) override;
    void ChangeDpi(int dpi) override;

    SimpleBrowser& Browser() { return m_browser; }

private:
    void OnPaint();
    void OnBtnClose();
    void OnBtnMin() { ShowBackdrop(SW_MINIMIZE); }
    void OnStartUpdateCheck();
    LRESULT OnTimer(WPARAM id, LPARAM);
    // Whether the player sees the login window: it and its backdrop shown.
    bool LoginShown() const;
    void OnUpdateChecked();
    LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    // Puts an update found to the player, unless a game is being played.
    void AskAboutPendingUpdate();
    void LayOutButton(CxSkinButton& button, const std::string& stem, const char* tip);
    int Scaled(int skinPixels) const { return ScaleToDpi(skinPixels, m_dpi); }

    CxSkinButton m_btnMin;
    CxSkinButton m_btnClose;
    SimpleBrowser m_browser;
    // Where the page was made, and at which DPI.
    RECT m_browserFirstPlace{};
    int m_browserFirstDpi = kSkinDpi;
    // The icon a minimised window shows, at the window's DPI.
    CWindowIcons m_icons;
    LoginUpdates m_updates;
    std::unique_ptr<CUpdateCheck> m_updateCheck;
    std::unique_ptr<CCrashReportSender> m_crashReportSender;
    // An update found and not yet put to the player.
    std::optional<UpdateCheckResult> m_pendingUpdate;
    bool m_gameOpen = false;
    bool m_asking = false;
};
