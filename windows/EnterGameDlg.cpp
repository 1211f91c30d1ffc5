#include "EnterGameDlg.h"

#include "BitmapFile.h"
#include "DisplayDpi.h"
#include "GameLayout.h"
#include "MainDlg.h"
#include "MinimisedIcon.h"
#include "Monitors.h"
#include "ReleaseName.h"
#include "SkinSettings.h"
#include "TranslucentDialog.h"
#include "UrlCache.h"
#include "WinApp.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr UINT kClose = 1010, kCache = 1011, kBrowserPlaceholder = 1012, kTitle = 1013,
               kTray = 1014, kWin = 1015, kMini = 1016, kPicture = 1017, kPay = 1018, kWeb = 1019,
               kService = 1020, kForum = 1021, kRefresh = 1022;

constexpr int kTitleWidth = 70, kTitleHeight = 18;
constexpr int kPictureWidth = 2, kPictureHeight = 20;
// The browser's first place, until the first resize lays the window out.
constexpr int kFirstBrowserTop = 24, kFirstBrowserShortfall = 25;

constexpr char kCaption[] = "提示";
constexpr char kCacheQuestion[] = "确定清空缓存吗?";
constexpr char kCacheDone[] = "清空完成";
constexpr char kCacheDoneCaption[] = "Done";
constexpr char kTrayTip[] = "Quorvane";
constexpr char kTrayRemovalTip[] = "托盘小程序.";
constexpr char kMenuClose[] = "关闭";
constexpr char kMenuOpen[] = "打开";

struct SkinnedButton {
    CxSkinButton CEnterGameDlg::*button;
    const char* stem;
};

// In the order the buttons are laid out.
constexpr SkinnedButton kButtons[] = {
    {&CEnterGameDlg::m_btnClose, "game_closebtn"},
    {&CEnterGameDlg::m_btnWin, "game_winbtn"},
    {&CEnterGameDlg::m_btnMini, "game_minibtn"},
    {&CEnterGameDlg::m_btnTray, "game_traybtn"},
    {&CEnterGameDlg::m_btnCache, "game_cachebtn"},
    {&CEnterGameDlg::m_btnRefresh, "game_refreshbtn"},
    {&CEnterGameDlg::m_btnService, "game_servicebtn"},
    {&CEnterGameDlg::m_btnForum, "game_forumbtn"},
    {&CEnterGameDlg::m_btnWeb, "game_webbtn"},
    {&CEnterGameDlg::m_btnPay, "game_paybtn"},
};

// The order the buttons are skinned in, as indices into kButtons: refresh,
// cache, close, window, minimise, tray, pay, web, forum, service.
constexpr int kSkinOrder[] = {5, 4, 0, 1, 2, 3, 9, 8, 7, 6};

void CopyTip(NOTIFYICONDATAA& record, const char* tip) {
    std::memset(record.szTip, 0, sizeof(record.szTip));
    std::strncpy(record.szTip, tip, sizeof(record.szTip) - 1);
}

// Makes a window the application's main window for a scope, and puts the
// previous one back if the window never took over (it could not be created).
class CMainWindowScope {
public:
    explicit CMainWindowScope(CWnd* window) : m_app(AfxGetApp()), m_window(window) {
        if (m_app) {
            m_previous = m_app->m_pMainWnd;
            m_app->m_pMainWnd = window;
        }
    }
    ~CMainWindowScope() {
        if (m_app && m_app->m_pMainWnd == m_window)
            m_app->m_pMainWnd = m_previous;
    }
    CMainWindowScope(const CMainWindowScope&) = delete;
    CMainWindowScope& operator=(const CMainWindowScope&) = delete;

private:
    CWinApp* m_app;
    CWnd* m_window;
    CWnd* m_previous = nullptr;
};

// Runs a function when the scope ends, however it ends.
template <class Action> class CScopeExit {
public:
    explicit CScopeExit(Action action) : m_action(std::move(action)) {}
    ~CScopeExit() { m_action(); }
    CScopeExit(const CScopeExit&) = delete;
    CScopeExit& operator=(const CScopeExit&) = delete;

private:
    Action m_action;
};

bool g_gameWindowOpen = false;

// Marks the moves the game window makes itself, for a scope.
class CMovingSelf {
public:
    explicit CMovingSelf(bool& flag) : m_flag(flag), m_outer(std::exchange(flag, true)) {}
    ~CMovingSelf() { m_flag = m_outer; }
    CMovingSelf(const CMovingSelf&) = delete;
    CMovingSelf& operator=(const CMovingSelf&) = delete;

private:
    bool& m_flag;
    bool m_outer;
};

// A saved placement back on a monitor when none shows it any more (the one
// it was on was unplugged). Its place is in workspace coordinates, which
// start at the primary monitor's work area.
void KeepOnAMonitor(WINDOWPLACEMENT& placement) {
    const MonitorArea primary = MonitorHoldingRect({});
    const int dx = primary.work.left - primary.bounds.left;
    const int dy = primary.work.top - primary.bounds.top;
    RECT place = placement.rcNormalPosition;
    ::OffsetRect(&place, dx, dy);
    place = ToRect(OntoAMonitor(DisplayMonitors(), ToScreenRect(place)));
    ::OffsetRect(&place, -dx, -dy);
    placement.rcNormalPosition = place;
}

// The game window whose icon is in the notification area. The process can
// end at once from elsewhere while it is there (the login window's close
// button, the hand-over); the icon must not stay behind as a ghost.
CEnterGameDlg* g_trayIconOwner = nullptr;

void RemoveTrayIconAtExit(CEnterGameDlg* window) {
    static const bool registered = std::atexit([] {
                                       if (g_trayIconOwner)
                                           g_trayIconOwner->RemoveTrayIcon();
                                   }) == 0;
    if (registered)
        g_trayIconOwner = window;
}

} // namespace

void ShowGameWindow(const std::string& url, CMainDlg& login) {
    // A second game window would fight the first for F4 and end both when it closed.
    if (g_gameWindowOpen)
        return;
    g_gameWindowOpen = true;
    bool opened = false;
    CTranslucentDialog* backdrop = login.Backdrop();
    if (backdrop && !backdrop->m_hWnd)
        backdrop = nullptr;
    // However the game window ends, an exception included, later calls open
    // it again; and if it never opened, the player gets the login window back.
    CScopeExit done([&] {
        g_gameWindowOpen = false;
        if (!opened && backdrop && backdrop->m_hWnd)
            backdrop->ShowWindow(SW_SHOW);
    });
    CEnterGameDlg game;
    game.m_gameUrl = url;
    if (backdrop) {
        backdrop->GetWindowRect(&game.m_openNear);
        game.m_openDpi = backdrop->Dpi();
        backdrop->ShowWindow(SW_HIDE);
    }
    CMainWindowScope mainWindow(&game);
    game.DoModal();
    opened = game.m_layoutReady;
}

CEnterGameDlg::CEnterGameDlg() : CDialog(kTemplateId, nullptr) {}

CEnterGameDlg::~CEnterGameDlg() {
    // The window goes first, so that nothing uses the icons after it.
    if (m_hWnd)
        DestroyWindow();
}

const MessageMap* CEnterGameDlg::ThisMessageMap() {
    using D = CEnterGameDlg;
    static const MessageMapEntry entries[] = {
        OnMessage<WM_SIZE, &D::OnSize>(),
        OnMessage<WM_ERASEBKGND, &D::OnEraseBkgnd>(),
        OnMessage<WM_PAINT, &D::OnPaint>(),
        OnMessage<WM_LBUTTONDOWN, &D::OnLButtonDown>(),
        OnMessage<WM_NCPAINT, &D::OnPassOn>(),
        OnMessage<WM_KEYUP, &D::OnPassOn>(),
        OnMessage<WM_CTLCOLOR, &D::OnCtlColor>(),
        OnCommand<BN_CLICKED, kClose, &D::OnBtnClose>(),
        OnCommand<BN_CLICKED, kCache, &D::OnBtnCache>(),
        OnCommand<BN_CLICKED, kTray, &D::OnBtnTray>(),
        OnCommand<BN_CLICKED, kWin, &D::OnBtnWin>(),
        OnCommand<BN_CLICKED, kMini, &D::OnBtnMini>(),
        OnCommand<BN_CLICKED, kPay, &D::OnBtnPay>(),
        OnCommand<BN_CLICKED, kWeb, &D::OnBtnWeb>(),
        OnCommand<BN_CLICKED, kService, &D::OnBtnService>(),
        OnCommand<BN_CLICKED, kForum, &D::OnBtnForum>(),
        OnCommand<BN_CLICKED, kRefresh, &D::OnBtnRefresh>(),
        OnCommand<BN_CLICKED, kTrayOpen, &D::OnTrayOpen>(),
        OnMessage<kTrayNotify, &D::OnTrayNotify>(),
        OnMessage<WM_CLOSE, &D::OnClose>(),
        OnMessage<WM_DESTROY, &D::OnDestroy>(),
        OnMessage<WM_SYSCOMMAND, &D::OnSysCommand>(),
        OnMessage<WM_DPICHANGED, &D::OnDpiChanged>(),
    };
    static const MessageMap map{CDialog::ThisMessageMap(), entries};
    return &map;
}

void CEnterGameDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, kRefresh, m_btnRefresh);
    DDX_Control(pDX, kCache, m_btnCache);
    DDX_Control(pDX, kClose, m_btnClose);
    DDX_Control(pDX, kTray, m_btnTray);
    DDX_Control(pDX, kWin, m_btnWin);
    DDX_Control(pDX, kMini, m_btnMini);
    DDX_Control(pDX, kPicture, m_gamePic);
    DDX_Control(pDX, kTitle, m_title);
    DDX_Control(pDX, kForum, m_btnForum);
    DDX_Control(pDX, kService, m_btnService);
    DDX_Control(pDX, kPay, m_btnPay);
    DDX_Control(pDX, kWeb, m_btnWeb);
}

BOOL CEnterGameDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    RegisterF4();
    m_layoutReady = true;
    m_maximized = false;
    // The dialog is made on the primary monitor and then moved onto its own:
    // it is laid out for that monitor's DPI from the start.
    m_dpi = m_openDpi > 0 ? m_openDpi : WindowDpi(m_hWnd);
    KeepDialogLayoutOnDpiChange(m_hWnd);
    LoadIcons();
    LoadBackground();
    SkinTitle();
    SkinPicture();

    RECT client;
    GetClientRect(&client);
    TrustOperatorPages(m_browser.m_trust);
    m_browser.m_trust.TrustOriginOf(m_gameUrl);
    m_browser.CreateBrowser(
        m_gameUrl.c_str(), 0, Scaled(kFirstBrowserTop), client.right - client.left,
        client.bottom - client.top - Scaled(kFirstBrowserShortfall), this, kBrowserPlaceholder);
    const OfflinePageChoice offline = OfflinePage();
    m_browser.SetOfflinePage(offline.page, offline.more);
    m_browser.SetZoom(ScaleBy(100, m_dpi, SystemDpi()));
    SkinButtons();

    const GameRect place = InitialGamePlacement(MonitorHoldingRect(m_openNear).bounds);
    CMovingSelf self(m_movingSelf);
    MoveWindow(place.x, place.y, place.width, place.height, TRUE);
    ::SetForegroundWindow(m_hWnd);
    return TRUE;
}

void CEnterGameDlg::RegisterF4() {
    // Held down, F4 would hide and show the window at the key-repeat rate.
    // Systems that do not know the no-repeat flag refuse it: F4 then repeats.
    if (!::RegisterHotKey(m_hWnd, kHotKeyId, MOD_NOREPEAT, VK_F4))
        ::RegisterHotKey(m_hWnd, kHotKeyId, 0, VK_F4);
}

void CEnterGameDlg::LoadBackground() {
    m_background.LoadFile(DataPath("game_bg"), m_dpi);
}

void CEnterGameDlg::SkinTitle() {
    m_title.SetText(Setting("game_title").c_str());
    m_title.SetTextColour(ColourFromChannels(IntSetting("game_title_r"), IntSetting("game_title_g"),
                                             IntSetting("game_title_b")));
    m_title.SetTransparent();
    PlaceTitle();
}

void CEnterGameDlg::PlaceTitle() {
    ScaleTitleFont();
    m_title.MoveWindow(Scaled(IntSetting("game_title_posx")), Scaled(IntSetting("game_title_posy")),
                       Scaled(kTitleWidth), Scaled(kTitleHeight), TRUE);
}

void CEnterGameDlg::ScaleTitleFont() {
    // The dialog's font was made for the monitor the dialog was made on (or
    // for the system's DPI, where dialogs are not scaled per monitor); the
    // window may be on another. The title has the template's font made for
    // the window's DPI, as the system would make it there.
    LOGFONTA font{};
    auto dialogFont = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (!dialogFont || !::GetObjectA(dialogFont, sizeof(font), &font))
        return;
    const int points = TemplateFontPoints();
    const int height =
        points > 0 ? -::MulDiv(points, m_dpi, 72) : ScaleBy(font.lfHeight, m_dpi, SystemDpi());
    if (height == font.lfHeight && m_titleFont.IsEmpty())
        return;
    font.lfWidth = ScaleBy(font.lfWidth, std::abs(height), std::abs(font.lfHeight));
    font.lfHeight = height;
    m_titleFont.CreateFontIndirect(font);
    m_title.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.GetSafeHandle()), TRUE);
}

void CEnterGameDlg::SkinPicture() {
    m_gamePic.MoveWindow(Scaled(IntSetting("game_gamepic_posx")),
                         Scaled(IntSetting("game_gamepic_posy")), Scaled(kPictureWidth),
                         Scaled(kPictureHeight), TRUE);
    LoadImageForDpi(DataPath("game_gamepic_normal"), m_dpi,
                    [this](const std::string& file, int factor) {
                        m_gamePic.SetDrawScale(m_dpi, factor);
                        return m_gamePic.LoadFromFile(file.c_str()) != FALSE;
                    });
    m_gamePic.StartDisplay();
}

void CEnterGameDlg::SkinButtons() {
    for (int index : kSkinOrder) {
        const SkinnedButton& skinned = kButtons[index];
        const std::string stem = skinned.stem;
        std::string normal = DataPath(stem + "_normal");
        std::string down = DataPath(stem + "_down");
        std::string over = DataPath(stem + "_over");
        CxSkinButton& button = this->*skinned.button;
        button.SetImageFiles(normal.c_str(), down.c_str(), over.c_str(), m_dpi);
        m_tipText = Setting(stem + "_tips");
        button.SetTipText(m_tipText);
    }
}

void CEnterGameDlg::OnSize(UINT, int cx, int cy) {
    LayOut(cx, cy);
    Default();
}

void CEnterGameDlg::LayOut(int cx, int cy) {
    if (m_browser.m_pBrowser)
        m_browser.MoveWindow(0, Scaled(kBandHeight), cx, cy - Scaled(kBandHeight), TRUE);
    if (m_layoutReady) {
        m_gamePic.StartDisplay();
        LayOutButtons(cx);
    }
}

void CEnterGameDlg::LayOutButtons(int clientWidth) {
    for (const SkinnedButton& skinned : kButtons) {
        const std::string stem = skinned.stem;
        (this->*skinned.button)
            .MoveWindow(ButtonLeft(clientWidth, Scaled(IntSetting(stem + "_posx"))),
                        Scaled(IntSetting(stem + "_posy")), Scaled(IntSetting(stem + "_width")),
                        Scaled(IntSetting(stem + "_height")), TRUE);
    }
}

LRESULT CEnterGameDlg::OnEraseBkgnd(WPARAM dc, LPARAM) {
    // Without a background image the dialog's own colour shows, not whatever
    // was on the screen before.
    if (m_background.IsEmpty())
        return Default();
    CDC target;
    target.Attach(reinterpret_cast<HDC>(dc));
    CDC memory;
    if (!memory.CreateCompatibleDC(target.GetSafeHdc() ? &target : nullptr))
        return TRUE;
    RECT client;
    GetClientRect(&client);
    const SIZE size{client.right - client.left, client.bottom - client.top};
    // At 96 DPI the image is stretched as it always was; at high DPI it is
    // smoothed over the window once a size and then copied.
    if (m_dpi == kSkinDpi) {
        const SIZE own = m_background.Size();
        CSelectObject selected(memory, m_background.ForDpi(kSkinDpi * m_background.Factor()));
        target.StretchBlt(0, 0, size.cx, size.cy, memory, 0, 0, own.cx, own.cy, SRCCOPY);
    } else if (HBITMAP smoothed = m_background.StretchedTo(size)) {
        CSelectObject selected(memory, smoothed);
        target.BitBlt(0, 0, size.cx, size.cy, memory, 0, 0, SRCCOPY);
    }
    return TRUE;
}

void CEnterGameDlg::OnPaint() {
    if (IsIconic())
        PaintMinimisedIcon(*this, m_icons.Big(), m_dpi);
    else
        Default();
}

void CEnterGameDlg::OnLButtonDown(UINT, POINT point) {
    // The window has no caption: a press on its own surface moves it.
    PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
}

HBRUSH CEnterGameDlg::OnCtlColor(CDC* dc, CWnd* control, UINT kind) {
    return CWnd::OnCtlColor(dc, control, kind);
}

void CEnterGameDlg::OnOK() {
    CDialog::OnOK();
}

void CEnterGameDlg::SetTitleText(const char* text) {
    m_title.SetText(text);
}

void CEnterGameDlg::OnBtnClose() {
    std::string question = Setting("game_closebtn_callbacktips");
    if (MessageBox(question.c_str(), kCaption, MB_OKCANCEL) == IDOK)
        SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void CEnterGameDlg::OnBtnCache() {
    if (MessageBox(kCacheQuestion, kCaption, MB_OKCANCEL) != IDOK)
        return;
    ClearUrlCache();
    MessageBox(kCacheDone, kCacheDoneCaption, MB_OK);
}

void CEnterGameDlg::FillTrayRecord(HICON icon, const char* tip) {
    m_trayIcon.cbSize = sizeof(NOTIFYICONDATAA);
    m_trayIcon.hWnd = m_hWnd;
    m_trayIcon.uID = kTrayIconId;
    m_trayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_trayIcon.uCallbackMessage = kTrayNotify;
    m_trayIcon.hIcon = icon;
    CopyTip(m_trayIcon, tip);
}

void CEnterGameDlg::OnBtnTray() {
    // The shell copies the icon; the window's own handle serves every add.
    // An operator's release names its own product; the client's own build
    // keeps its text.
    const std::string product = BrandedProductName();
    FillTrayRecord(m_icons.Small(), product.empty() ? kTrayTip : product.c_str());
    ::Shell_NotifyIconA(NIM_ADD, &m_trayIcon);
    RemoveTrayIconAtExit(this);
    ShowWindow(SW_HIDE);
}

void CEnterGameDlg::RemoveTrayIcon() {
    FillTrayRecord(::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(128)), kTrayRemovalTip);
    ::Shell_NotifyIconA(NIM_DELETE, &m_trayIcon);
    if (g_trayIconOwner == this)
        g_trayIconOwner = nullptr;
}

void CEnterGameDlg::LoadIcons() {
    if (!m_icons.LoadForDpi(m_dpi) || g_trayIconOwner != this)
        return;
    // The icon in the notification area is a copy: it is replaced.
    NOTIFYICONDATAA record{};
    record.cbSize = sizeof(record);
    record.hWnd = m_hWnd;
    record.uID = kTrayIconId;
    record.uFlags = NIF_ICON;
    record.hIcon = m_icons.Small();
    ::Shell_NotifyIconA(NIM_MODIFY, &record);
}

void CEnterGameDlg::OnBtnWin() {
    CMovingSelf self(m_movingSelf);
    ShowWindow(m_maximized ? SW_RESTORE : SW_MAXIMIZE);
    if (m_maximized) {
        ShowWindow(SW_RESTORE);
    } else {
        // Maximised, but the task bar of its monitor stays visible.
        MoveWindow(ToRect(WindowMonitor().work));
    }
    m_maximized = !m_maximized;
}

void CEnterGameDlg::OpenSettingUrl(const char* key) {
    std::string address = Setting(key);
    ::ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOW);
}

LRESULT CEnterGameDlg::OnTrayNotify(WPARAM id, LPARAM event) {
    if (id != kTrayIconId)
        return 1;
    if (event == WM_LBUTTONDBLCLK)
        ShowWindow(SW_SHOW);
    else if (event == WM_RBUTTONUP)
        ShowTrayMenu();
    return 0;
}

void CEnterGameDlg::ShowTrayMenu() {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    HMENU menu = ::CreatePopupMenu();
    if (!menu)
        return;
    ::AppendMenuA(menu, MF_STRING, kTrayClose, kMenuClose);
    ::AppendMenuA(menu, MF_STRING, kTrayOpen, kMenuOpen);
    // A menu of the notification area closes on a click elsewhere only when
    // its window is in front; the posted message lets the menu end cleanly.
    ::SetForegroundWindow(m_hWnd);
    // The chosen item arrives as a posted WM_COMMAND.
    ::TrackPopupMenu(menu, 0, cursor.x, cursor.y, 0, m_hWnd, nullptr);
    PostMessage(WM_NULL);
    ::DestroyMenu(menu);
}

BOOL CEnterGameDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_F5) {
        m_browser.Refresh();
        return TRUE;
    }
    if (msg->message == WM_HOTKEY) {
        OnHotKey();
        return TRUE;
    }
    // Enter and Escape neither close the window nor reach the page. Only key
    // messages carry keys in wParam: mouse and timer messages pass.
    const bool keyMessage = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
    if (keyMessage && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE))
        return TRUE;
    // The page never sees the right button, so it opens no context menu.
    if (msg->message == WM_RBUTTONDOWN)
        msg->message = WM_LBUTTONDOWN;
    else if (msg->message == WM_RBUTTONUP)
        msg->message = WM_LBUTTONUP;
    return CDialog::PreTranslateMessage(msg);
}

void CEnterGameDlg::OnHotKey() {
    if (m_inTray) {
        ShowWindow(SW_SHOW);
        m_inTray = false;
    } else {
        OnBtnTray();
        m_inTray = true;
    }
}

bool CEnterGameDlg::IsFullScreen() const {
    // The browser's property is the only record of the mode; a failed read
    // counts as not in full screen.
    VARIANT_BOOL full = VARIANT_FALSE;
    if (IWebBrowser2* browser = m_browser.m_pBrowser)
        browser->get_FullScreen(&full);
    return full != VARIANT_FALSE;
}

bool CEnterGameDlg::SetFullScreen(bool enter) {
    IWebBrowser2* browser = m_browser.m_pBrowser;
    if (!browser)
        return false;
    const bool full = IsFullScreen();
    if (!enter) {
        if (full) {
            // Out of full screen first: a DPI change on the way back must
            // not make the window fill its monitor again.
            browser->put_FullScreen(VARIANT_FALSE);
            m_savedPlacement.length = sizeof(WINDOWPLACEMENT);
            KeepOnAMonitor(m_savedPlacement);
            CMovingSelf self(m_movingSelf);
            ::SetWindowPlacement(m_hWnd, &m_savedPlacement);
        }
        return false;
    }
    if (full)
        return true;
    m_savedPlacement.length = sizeof(WINDOWPLACEMENT);
    ::GetWindowPlacement(m_hWnd, &m_savedPlacement);
    m_browser.ModifyStyle(WS_CAPTION, 0);
    CMovingSelf self(m_movingSelf);
    MoveWindow(FullScreenRect(WindowMonitor()));
    browser->put_FullScreen(VARIANT_TRUE);
    return true;
}

RECT CEnterGameDlg::FullScreenRect(const MonitorArea& monitor) const {
    RECT screen = ToRect(monitor.bounds);
    ::AdjustWindowRectEx(&screen, GetStyle(), FALSE, GetExStyle());
    return screen;
}

MonitorArea CEnterGameDlg::WindowMonitor() const {
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    return MonitorHoldingRect(window);
}

void CEnterGameDlg::OnClose() {
    ::UnregisterHotKey(m_hWnd, kHotKeyId);
    // The dialog's default answer posts IDCANCEL, which ends the dialog.
    Default();
}

void CEnterGameDlg::OnSysCommand(UINT id, LPARAM) {
    // Closing runs the default processing twice (the first stands for the
    // window's own clean-up), so WM_CLOSE arrives twice; the second finds
    // the hotkey gone and the dialog already ending.
    if (id == SC_CLOSE)
        Default();
    Default();
}

LRESULT CEnterGameDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    const int dpi = DpiOfChange(wParam);
    // The window laid itself out for the monitor it is moving onto.
    if (m_movingSelf && dpi == m_dpi)
        return 0;
    m_dpi = dpi;
    LoadIcons();
    LoadBackground();
    PlaceTitle(); // keeps the text a page may have set
    SkinPicture();
    SkinButtons();
    m_browser.SetZoom(ScaleBy(100, m_dpi, SystemDpi()));
    // The suggested rectangle keeps the window under the pointer; a window
    // that fills its monitor's work area, or the whole monitor, fills the
    // new one. A place the window chose itself is in the new monitor's
    // pixels already: scaled again, it would be too large or too small. The
    // layout follows even when the size stays the same.
    RECT place = SuggestedRectOfChange(lParam);
    if (!m_movingSelf && !::IsRectEmpty(&place)) {
        const MonitorArea monitor = MonitorHoldingRect(place);
        if (IsFullScreen()) {
            place = FullScreenRect(monitor);
        } else if (m_maximized) {
            place = ToRect(monitor.work);
        }
        SetWindowPos(nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT client;
    GetClientRect(&client);
    LayOut(client.right - client.left, client.bottom - client.top);
    Invalidate(TRUE);
    return 0;
}

void CEnterGameDlg::OnDestroy() {
    RemoveTrayIcon();
}
