#pragma once
// The game window: a borderless, skinned dialog around the game page, with a
// title, a picture and ten skin buttons laid out from the right edge. It can
// hide itself to the notification area (also with the system-wide F4 key),
// take the whole screen for the page, and closes after a confirmation.

#include "Dialog.h"
#include "DpiScale.h"
#include "GameLayout.h"
#include "Gdi.h"
#include "PictureEx.h"
#include "ScaledBitmap.h"
#include "ScriptCommandTargets.h"
#include "SimpleBrowser.h"
#include "SkinButton.h"
#include "WindowIcons.h"
#include "xStatic.h"

#include <shellapi.h>

#include <string>

class CMainDlg;

// Hides the login backdrop and runs the game window on `url` as the
// application's main window; returns when it has closed. While one game
// window is open, further calls do nothing.
void ShowGameWindow(const std::string& url, CMainDlg& login);

class CEnterGameDlg : public CDialog, public CGameWindowCommands {
public:
    static constexpr UINT kTemplateId = 100;
    static constexpr int kHotKeyId = 2182;
    static constexpr UINT kTrayIconId = 1000101;
    static constexpr UINT kTrayNotify = WM_USER + 1001;
    // The tray menu's items; "关闭" is the dialog's own cancel.
    static constexpr UINT kTrayClose = IDCANCEL;
    static constexpr UINT kTrayOpen = 24;
    // Height of the band above the page that holds the skin, at 96 DPI.
    static constexpr int kBandHeight = 31;

    CEnterGameDlg();
    ~CEnterGameDlg() override;

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void OnOK() override;

    // What the game page's commands do with this window.
    void SetTitleText(const char* text) override;
    // Enters full screen (true) or leaves it (false); whether the window is
    // now in full screen.
    bool SetFullScreen(bool enter) override;
    bool IsFullScreen() const;
    // Takes the window's icon out of the notification area, if it is there.
    void RemoveTrayIcon();

    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

    SimpleBrowser m_browser;
    std::string m_gameUrl;
    // Where the login window was: the game window opens on its monitor (on
    // the primary one when empty).
    RECT m_openNear{};
    // The DPI of that monitor, the login window's; 0: the DPI of the monitor
    // the window is made on, the primary one.
    int m_openDpi = 0;
    WINDOWPLACEMENT m_savedPlacement{};
    // Stretched over the client area once a size at high DPI, and kept.
    CScaledBitmap m_background;
    CxSkinButton m_btnRefresh;
    CxSkinButton m_btnCache;
    CxSkinButton m_btnClose;
    CxSkinButton m_btnTray;
    CxSkinButton m_btnWin;
    CxSkinButton m_btnMini;
    CxSkinButton m_btnPay;
    CxSkinButton m_btnWeb;
    CxSkinButton m_btnService;
    CxSkinButton m_btnForum;
    CPictureEx m_gamePic;
    std::string m_tipText;
    CxStatic m_title;
    bool m_maximized = false;
    bool m_layoutReady = false;
    bool m_inTray = false;
    // While the window moves itself: a DPI change on the way keeps the place
    // the window chose, already in the pixels of the monitor it goes to.
    bool m_movingSelf = false;
    // The DPI the window is shown at: the skin's lengths are scaled by it.
    int m_dpi = kSkinDpi;
    NOTIFYICONDATAA m_trayIcon{};
    // The window's icon at its DPI: the big one when minimised, the small one
    // in the notification area.
    CWindowIcons m_icons;
    // The title's font at the window's DPI, once it differs from the DPI the
    // dialog's own font was made at.
    CFont m_titleFont;

private:
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnEraseBkgnd(WPARAM dc, LPARAM);
    void OnPaint();
    void OnLButtonDown(UINT flags, POINT point);
    LRESULT OnPassOn(WPARAM, LPARAM) { return Default(); }
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);

    void OnBtnClose();
    void OnBtnCache();
    void OnBtnTray();
    void OnBtnWin();
    void OnBtnMini() { ShowWindow(SW_MINIMIZE); }
    void OnBtnPay() { OpenSettingUrl("game_paybtn_url"); }
    void OnBtnWeb() { OpenSettingUrl("game_webbtn_url"); }
    void OnBtnService() { OpenSettingUrl("game_servicebtn_url"); }
    void OnBtnForum() { OpenSettingUrl("game_forumbtn_url"); }
    void OnBtnRefresh() { m_browser.Refresh(); }
    void OnTrayOpen() { ShowWindow(SW_SHOW); }
    LRESULT OnTrayNotify(WPARAM id, LPARAM event);
    void OnClose();
    void OnDestroy();
    void OnSysCommand(UINT id, LPARAM lParam);
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);

    void RegisterF4();
    // The monitor that holds most of the window.
    MonitorArea WindowMonitor() const;
    // The window's rectangle whose client area covers the whole monitor.
    RECT FullScreenRect(const MonitorArea& monitor) const;
    // A length of the skin in this window's pixels.
    int Scaled(int skinPixels) const { return ScaleToDpi(skinPixels, m_dpi); }
    void LoadBackground();
    void SkinTitle();
    // The title's place, size and font at the window's DPI.
    void PlaceTitle();
    void ScaleTitleFont();
    void SkinPicture();
    void SkinButtons();
    // Places the page and the buttons in a client area of cx x cy.
    void LayOut(int cx, int cy);
    void LayOutButtons(int clientWidth);
    void ShowTrayMenu();
    void OnHotKey();
    void FillTrayRecord(HICON icon, const char* tip);
    // The icons for the window's DPI, the one in the notification area too.
    void LoadIcons();
    void OpenSettingUrl(const char* key);
};
