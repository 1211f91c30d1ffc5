#include "MainDlg.h"

#include "ConfigStore.h"
#include "DisplayDpi.h"
#include "EnterGameDlg.h"
#include "MinimisedIcon.h"
#include "SkinSettings.h"
#include "TextConversion.h"
#include "TranslucentDialog.h"

namespace {

constexpr UINT kCloseButton = 1000;
constexpr UINT kBrowserPlaceholder = 1001;
constexpr UINT kMinimiseButton = 1002;
// Posted to itself once the window shows, and by the check when it ends.
constexpr UINT kStartUpdateCheckMessage = WM_APP + 40;
constexpr UINT kUpdateCheckedMessage = WM_APP + 41;
constexpr UINT kAskAboutUpdateMessage = WM_APP + 42;
// Looks again whether the login window shows yet.
constexpr UINT_PTR kStartUpdateCheckTimer = 40;
constexpr UINT kStartUpdateCheckRetryMs = 100;

constexpr char kCloseQuestion[] = "此操作将退去游戏 ，是否继续？";
constexpr char kCloseCaption[] = "提示";

std::wstring BackdropImagePath() {
    return ToWide(CConfigStore::Instance().GetLoginBgPath(), CP_ACP);
}

} // namespace

CMainDlg::CMainDlg(LoginUpdates updates)
    : CImgWnd(BackdropImagePath()), m_updates(std::move(updates)) {}

CMainDlg::~CMainDlg() = default;

const MessageMap* CMainDlg::ThisMessageMap() {
    static const MessageMapEntry entries[] = {
        OnMessage<WM_PAINT, &CMainDlg::OnPaint>(),
        OnCommand<BN_CLICKED, kCloseButton, &CMainDlg::OnBtnClose>(),
        OnCommand<BN_CLICKED, kMinimiseButton, &CMainDlg::OnBtnMin>(),
        OnMessage<kStartUpdateCheckMessage, &CMainDlg::OnStartUpdateCheck>(),
        OnMessage<WM_TIMER, &CMainDlg::OnTimer>(),
        OnMessage<kUpdateCheckedMessage, &CMainDlg::OnUpdateChecked>(),
        OnMessage<kAskAboutUpdateMessage, &CMainDlg::AskAboutPendingUpdate>(),
        OnMessage<WM_ACTIVATE, &CMainDlg::OnActivate>(),
        OnMessage<WM_DESTROY, &CMainDlg::OnDestroy>(),
    };
    static const MessageMap map{CImgWnd::ThisMessageMap(), entries};
    return &map;
}

void CMainDlg::DoDataExchange(CDataExchange* pDX) {
    CImgWnd::DoDataExchange(pDX);
    DDX_Control(pDX, kMinimiseButton, m_btnMin);
    DDX_Control(pDX, kCloseButton, m_btnClose);
}

BOOL CMainDlg::PreTranslateMessage(MSG* msg) {
    return CDialog::PreTranslateMessage(msg);
}

BOOL CMainDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ApplyColourKey();
    m_dpi = WindowDpi(m_hWnd);
    KeepDialogLayoutOnDpiChange(m_hWnd);
    m_icons.LoadForDpi(m_dpi);
    TrustOperatorPages(m_browser.m_trust);
    m_browser.CreateBrowser(
        Setting("login_url").c_str(), Scaled(IntSetting("login_browserctrl_posx")),
        Scaled(IntSetting("login_browserctrl_posy")), Scaled(IntSetting("login_browserctrl_width")),
        Scaled(IntSetting("login_browserctrl_height")), this, kBrowserPlaceholder, m_dpi);
    const OfflinePageChoice offline = OfflinePage();
    m_browser.SetOfflinePage(offline.page, offline.more);
    if (m_browser.m_hWnd) {
        m_browser.GetWindowRect(&m_browserFirstPlace);
        ScreenToClient(&m_browserFirstPlace);
        m_browserFirstDpi = m_dpi;
        // A window made on a monitor whose DPI is not the system's.
        m_browser.SetZoom(ScaleBy(100, m_dpi, SystemDpi()));
    }
    LayOutButton(m_btnMin, "login_minibtn", "MiniWindow");
    LayOutButton(m_btnClose, "login_closebtn", "closewindow");
    // The check and the sending of crash reports start once the window
    // shows (OnStartUpdateCheck), so they never delay it.
    if (m_updates.check || m_updates.crashReports)
        PostMessage(kStartUpdateCheckMessage);
    return TRUE;
}

void CMainDlg::LayOutButton(CxSkinButton& button, const std::string& stem, const char* tip) {
    button.MoveWindow(Scaled(IntSetting(stem + "_posx")), Scaled(IntSetting(stem + "_posy")),
                      Scaled(IntSetting(stem + "_width")), Scaled(IntSetting(stem + "_height")),
                      TRUE);
    std::string normal = DataPath(stem + "_normal");
    std::string down = DataPath(stem + "_down");
    std::string over = DataPath(stem + "_over");
    button.SetImageFiles(normal.c_str(), down.c_str(), over.c_str(), m_dpi);
    button.SetTipText(tip);
}

void CMainDlg::ChangeDpi(int dpi) {
    if (dpi == m_dpi)
        return;
    // The page keeps its place and size in the skin's pixels, scaled from
    // where it was made, so that moves back and forth add no rounding.
    if (m_browser.m_hWnd) {
        const RECT& first = m_browserFirstPlace;
        const int firstDpi = m_browserFirstDpi;
        m_browser.MoveForDpi(
            RECT{ScaleBy(first.left, dpi, firstDpi), ScaleBy(first.top, dpi, firstDpi),
                 ScaleBy(first.right, dpi, firstDpi), ScaleBy(first.bottom, dpi, firstDpi)},
            dpi);
        m_browser.SetZoom(ScaleBy(100, dpi, SystemDpi()));
    }
    CImgWnd::ChangeDpi(dpi);
    m_icons.LoadForDpi(dpi);
    LayOutButton(m_btnMin, "login_minibtn", "MiniWindow");
    LayOutButton(m_btnClose, "login_closebtn", "closewindow");
    Invalidate(TRUE);
}

void CMainDlg::OnBtnClose() {
    if (MessageBox(kCloseQuestion, kCloseCaption, MB_OKCANCEL) == IDOK)
        std::exit(1);
}

void CMainDlg::ShowBackdrop(int command) {
    if (m_pBackdrop)
        m_pBackdrop->ShowWindow(command);
}

void CMainDlg::ShowGame(const char* address) {
    // The login page vouches for the game page's origin, in this window too.
    m_browser.m_trust.TrustOriginOf(address ? address : "");
    m_gameOpen = true;
    ShowGameWindow(address ? address : "", *this);
    m_gameOpen = false;
}

void CMainDlg::OnStartUpdateCheck() {
    // The window shows once its queue runs dry, after this message: a
    // timer, which never keeps the queue busy, looks again until it shows.
    // A game window open means the login window has shown (and hides now).
    if (!m_gameOpen && !LoginShown()) {
        ::SetTimer(m_hWnd, kStartUpdateCheckTimer, kStartUpdateCheckRetryMs, nullptr);
        return;
    }
    ::KillTimer(m_hWnd, kStartUpdateCheckTimer);
    if (m_updates.check && !m_updateCheck)
        m_updateCheck =
            std::make_unique<CUpdateCheck>(*m_updates.check, m_hWnd, kUpdateCheckedMessage);
    if (m_updates.crashReports && !m_crashReportSender)
        m_crashReportSender = std::make_unique<CCrashReportSender>(*m_updates.crashReports);
}

bool CMainDlg::LoginShown() const {
    return IsWindowVisible() && m_pBackdrop && m_pBackdrop->IsWindowVisible();
}

LRESULT CMainDlg::OnTimer(WPARAM id, LPARAM) {
    if (id != kStartUpdateCheckTimer)
        return Default();
    OnStartUpdateCheck();
    return 0;
}

void CMainDlg::OnUpdateChecked() {
    std::optional<UpdateCheckResult> result =
        m_updateCheck ? m_updateCheck->Result() : std::nullopt;
    if (result)
        m_updateCheck.reset();
    if (!result || result->offer == UpdateOffer::None)
        return;
    m_pendingUpdate = std::move(result);
    AskAboutPendingUpdate();
}

LRESULT CMainDlg::OnActivate(WPARAM wParam, LPARAM) {
    const LRESULT result = Default();
    // Shown again (a game window that never opened gives the login window
    // back): the player is asked now.
    if (LOWORD(wParam) != WA_INACTIVE && m_pendingUpdate)
        PostMessage(kAskAboutUpdateMessage);
    return result;
}

void CMainDlg::OnDestroy() {
    // The check reports to this window: it stops before the window goes.
    m_updateCheck.reset();
    m_crashReportSender.reset();
    Default();
}

void CMainDlg::AskAboutPendingUpdate() {
    // Not over a game, nor once the game window has ended (the client is
    // ending then, its login window hidden): the next start asks again.
    if (!m_pendingUpdate || !m_updates.ask || m_asking || m_gameOpen || !LoginShown())
        return;
    const UpdateCheckResult found = std::move(*m_pendingUpdate);
    m_pendingUpdate.reset();
    const CUpdateLog log(m_updates.check->folder);
    m_asking = true;
    bool end = false;
    switch (AskAboutUpdate(m_hWnd, found, m_updates.check->version)) {
    case UpdateAnswer::UpdateNow:
        end = DownloadAndInstallUpdate(this, *m_updates.check, found, log);
        break;
    case UpdateAnswer::Later:
        log.Add("update to " + found.description.version.Text() + " put off by the player");
        break;
    case UpdateAnswer::Quit:
        log.Add("the player quit rather than update to the required " +
                found.description.version.Text());
        end = true;
        break;
    }
    m_asking = false;
    // The client ends as when the player closes the login window.
    if (end && m_pBackdrop && m_pBackdrop->m_hWnd)
        m_pBackdrop->PostMessage(WM_CLOSE);
}

void CMainDlg::OnPaint() {
    if (IsIconic())
        PaintMinimisedIcon(*this, m_icons.Big(), m_dpi);
    else
        Default();
    // Whatever is still invalid needs no painting of ours.
    CPaintDC validate(this);
}
