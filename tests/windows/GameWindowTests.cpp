// The game window as its user and its page drive it: real windows under
// Xvfb with the real browser control, buttons clicked and message boxes and
// menus answered with the mouse, and the page's commands run by a real
// script engine.

#include "ChildProcess.h"
#include "ConfigStore.h"
#include "DisplayDpi.h"
#include "SkinKeys.h"
#include "EnterGameDlg.h"
#include "FakeWebBrowser.h"
#include "BrowserEvents.h"
#include "GifPictures.h"
#include "GameLayout.h"
#include "HandleCounts.h"
#include "Monitors.h"
#include "HostileImages.h"
#include "MainDlg.h"
#include "MessageBoxAnswerer.h"
#include "OfflinePage.h"
#include "Pixels.h"
#include "PngFile.h"
#include "ScriptCommands.h"
#include "ScriptPage.h"
#include "TempDir.h"
#include "TestDpi.h"
#include "TimedSteps.h"
#include "TranslucentDialog.h"
#include "UiPump.h"
#include "UrlCacheEntries.h"
#include "UserInput.h"
#include "WinApp.h"

#include <gtest/gtest.h>

#include <exdispid.h>
#include <shlwapi.h>

#include <atomic>
#include <cwchar>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <ranges>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr COLORREF kBandColour = RGB(40, 80, 160);
constexpr int kButtonTop = 4, kButtonHeight = 20;

struct ButtonPlace {
    const char* stem;
    UINT id;
    int fromRight;
    int width;
};

// The ten buttons in a row from the right edge, none overlapping.
constexpr ButtonPlace kButtons[] = {
    {"game_closebtn", 1010, 24, 20},    {"game_winbtn", 1015, 48, 20},
    {"game_minibtn", 1016, 72, 20},     {"game_traybtn", 1014, 96, 20},
    {"game_refreshbtn", 1022, 130, 30}, {"game_cachebtn", 1011, 164, 30},
    {"game_servicebtn", 1020, 198, 30}, {"game_forumbtn", 1021, 232, 30},
    {"game_webbtn", 1019, 266, 30},     {"game_paybtn", 1018, 300, 30},
};

std::string Xml(const std::map<std::string, std::string>& skin) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"GBK\"?><config>";
    for (const auto& [key, value] : skin)
        xml += "<" + key + ">" + value + "</" + key + ">";
    return xml + "</config>";
}

RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child) {
    RECT rect = WindowRect(child);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool SameRect(const RECT& a, const RECT& b) {
    return ::EqualRect(&a, &b) != FALSE;
}

POINT CentreOf(HWND window) {
    RECT rect = WindowRect(window);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

bool TrayIconPresent(HWND window) {
    NOTIFYICONDATAA record{};
    record.cbSize = sizeof(record);
    record.hWnd = window;
    record.uID = CEnterGameDlg::kTrayIconId;
    return ::Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

CTimedSteps::Step Until(std::function<bool()> condition) {
    return condition;
}

// Where the browser host was created: x, y, width and height.
RECT g_hostCreatedAt{};

LRESULT CALLBACK RecordHostCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA& create = *reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        bool named = create.lpszName && !IS_INTRESOURCE(create.lpszName);
        if (create.hMenu == reinterpret_cast<HMENU>(1012) && named &&
            lstrcmpA(create.lpszName, "dd") == 0)
            g_hostCreatedAt = RECT{create.x, create.y, create.cx, create.cy};
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// The foreground window when a dialog has just initialised itself, before
// its loop first shows it.
HWND g_foregroundAfterInit = nullptr;

LRESULT CALLBACK RecordForegroundAfterInit(int code, WPARAM wParam, LPARAM lParam) {
    auto* call = reinterpret_cast<CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_INITDIALOG && !::IsWindowVisible(call->hwnd))
        g_foregroundAfterInit = ::GetForegroundWindow();
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Counts the WM_CLOSE messages a window is sent, and sees whether F4 is free
// again when the first has been handled.
class CCloseSpy {
public:
    explicit CCloseSpy(HWND window) {
        s_spy = this;
        m_window = window;
        m_hook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &CCloseSpy::Hook, nullptr,
                                     ::GetCurrentThreadId());
    }
    ~CCloseSpy() {
        ::UnhookWindowsHookEx(m_hook);
        s_spy = nullptr;
    }
    CCloseSpy(const CCloseSpy&) = delete;
    CCloseSpy& operator=(const CCloseSpy&) = delete;

    int m_closes = 0;
    bool m_hotKeyFreeAfterFirst = false;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        auto* call = reinterpret_cast<CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && s_spy && call->hwnd == s_spy->m_window &&
            call->message == WM_CLOSE && ++s_spy->m_closes == 1) {
            s_spy->m_hotKeyFreeAfterFirst = ::RegisterHotKey(nullptr, 77, 0, VK_F4) != FALSE;
            ::UnregisterHotKey(nullptr, 77);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline CCloseSpy* s_spy = nullptr;
    HWND m_window = nullptr;
    HHOOK m_hook = nullptr;
};

// Where the test's mouse messages say the pointer is.
const LPARAM kPostedAt = MAKELPARAM(5, 5);

// Records the messages of the kinds a test posts that a window (not one of
// ours) receives: keys, the mouse at kPostedAt, timer 27 and WM_APP and up.
class CMessageRecorder {
public:
    explicit CMessageRecorder(HWND window) : m_window(window) {
        s_recorder = this;
        m_previous = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
            window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CMessageRecorder::Proc)));
    }
    ~CMessageRecorder() {
        if (::IsWindow(m_window))
            ::SetWindowLongPtrA(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
        s_recorder = nullptr;
    }
    CMessageRecorder(const CMessageRecorder&) = delete;
    CMessageRecorder& operator=(const CMessageRecorder&) = delete;

    std::vector<std::pair<UINT, WPARAM>> m_received;

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
        const bool key = message >= WM_KEYFIRST && message <= WM_KEYLAST;
        const bool mouse = message >= WM_MOUSEFIRST && message <= WM_RBUTTONUP;
        if (key || (mouse && lParam == kPostedAt) || (message == WM_TIMER && wParam == 27) ||
            message >= WM_APP)
            s_recorder->m_received.emplace_back(message, wParam);
        return ::CallWindowProcA(s_recorder->m_previous, hWnd, message, wParam, lParam);
    }

    static inline CMessageRecorder* s_recorder = nullptr;
    HWND m_window;
    WNDPROC m_previous = nullptr;
};

// The first WM_NCLBUTTONDOWN taken from the queue, which is then dropped so
// that no move loop waits for a mouse that never moves.
MSG g_moveStart{};
HHOOK g_moveHook = nullptr;

LRESULT CALLBACK CatchMoveStart(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_NCLBUTTONDOWN) {
        if (!g_moveStart.message)
            g_moveStart = *msg;
        msg->message = WM_NULL;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// How many WM_NULL messages the loop took for g_nullTarget.
HWND g_nullTarget = nullptr;
int g_nullsTaken = 0;

LRESULT CALLBACK CountNulls(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == WM_NULL &&
        msg->hwnd == g_nullTarget)
        ++g_nullsTaken;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// A page in `host`, as its first completed navigation makes it.
std::unique_ptr<CScriptPage> PageOf(SimpleBrowser& host) {
    // Its first page, trusted as the operator's.
    host.TrustAddress(host.m_url.c_str());
    host.m_hasDocument = true;
    host.m_documentUrl = host.m_url;
    RegisterScriptCommands(&host);
    IDispatch* external = nullptr;
    host.m_pUIHandler->GetExternal(&external);
    auto page = std::make_unique<CScriptPage>(external);
    if (external)
        external->Release();
    return page;
}

// Reads the items of the popup menu on the screen and clicks the one at
// `position`; false while no menu shows.
bool ChooseMenuItem(int position, std::vector<std::pair<UINT, std::string>>* items) {
    HWND popup = ::FindWindowA("#32768", nullptr);
    if (!popup || !::IsWindowVisible(popup))
        return false;
    auto menu = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0));
    items->clear();
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        char text[64] = {};
        ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
        items->emplace_back(::GetMenuItemID(menu, i), text);
    }
    RECT item{};
    ::GetMenuItemRect(nullptr, menu, static_cast<UINT>(position), &item);
    ClickAt(POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
    return true;
}

// Sends a window WM_DPICHANGED as Windows does when a move takes it onto a
// monitor of another DPI: once, during the move that brings the window to
// `arrival`, suggesting that rectangle grown by the ratio of the DPIs from
// its top-left corner.
class CDpiCrossing {
public:
    CDpiCrossing(std::function<HWND()> window, const RECT& arrival, int fromDpi, int toDpi)
        : m_window(std::move(window)), m_arrival(arrival), m_toDpi(toDpi) {
        m_suggested = RECT{arrival.left, arrival.top,
                           arrival.left + ScaleBy(arrival.right - arrival.left, toDpi, fromDpi),
                           arrival.top + ScaleBy(arrival.bottom - arrival.top, toDpi, fromDpi)};
        s_crossing = this;
        m_hook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &CDpiCrossing::Hook, nullptr,
                                     ::GetCurrentThreadId());
    }
    ~CDpiCrossing() {
        ::UnhookWindowsHookEx(m_hook);
        s_crossing = nullptr;
    }
    CDpiCrossing(const CDpiCrossing&) = delete;
    CDpiCrossing& operator=(const CDpiCrossing&) = delete;

    bool m_sent = false;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        auto* call = reinterpret_cast<CWPRETSTRUCT*>(lParam);
        CDpiCrossing* self = s_crossing;
        if (code == HC_ACTION && self && !self->m_sent && call->message == WM_WINDOWPOSCHANGED &&
            call->hwnd == self->m_window() && SameRect(WindowRect(call->hwnd), self->m_arrival)) {
            self->m_sent = true;
            ::SendMessageA(call->hwnd, WM_DPICHANGED, MAKEWPARAM(self->m_toDpi, self->m_toDpi),
                           reinterpret_cast<LPARAM>(&self->m_suggested));
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline CDpiCrossing* s_crossing = nullptr;
    std::function<HWND()> m_window;
    RECT m_arrival;
    int m_toDpi;
    RECT m_suggested{};
    HHOOK m_hook = nullptr;
};

// The font the dialogs that initialise while GiveDialogsTheirFont is set
// report as their own, as if the dialog manager had made it.
HFONT g_dialogFont = nullptr;
WNDPROC g_dialogProc = nullptr;

LRESULT CALLBACK AnswerDialogFont(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETFONT)
        return reinterpret_cast<LRESULT>(g_dialogFont);
    return ::CallWindowProcA(g_dialogProc, window, message, wParam, lParam);
}

LRESULT CALLBACK GiveDialogsTheirFont(int code, WPARAM wParam, LPARAM lParam) {
    auto* call = reinterpret_cast<CWPSTRUCT*>(lParam);
    char className[16] = {};
    if (code == HC_ACTION && call->message == WM_INITDIALOG &&
        ::GetClassNameA(call->hwnd, className, sizeof(className)) &&
        lstrcmpA(className, "#32770") == 0)
        g_dialogProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
            call->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AnswerDialogFont)));
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// The rectangle a placement describes.
RECT RectOf(const GameRect& place) {
    return RECT{place.x, place.y, place.x + place.width, place.y + place.height};
}

// Every key the game window reads has a value of the test's: the store
// keeps keys across loads, so a key one test sets must not leak into another.
class GameWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(::CopyFileA(WinePath(CLIENT_SOURCE_DIR "/demo/data/main.ico").c_str(),
                                m_dir.Write("data\\main.ico", "").c_str(), FALSE));
        m_dir.Write("data\\bg.bmp",
                    BmpFile({{kBandColour, kBandColour}, {kBandColour, kBandColour}}));
        m_skin["game_bg"] = "bg.bmp";
        m_skin["game_title"] = "Title";
        m_skin["game_title_posx"] = "40";
        m_skin["game_title_posy"] = "6";
        m_skin["game_gamepic_posx"] = "4";
        m_skin["game_gamepic_posy"] = "4";
        m_skin["game_gamepic_normal"] = "";
        m_skin["game_closebtn_callbacktips"] = "Quit?";
        for (const char* channel : {"_r", "_g", "_b"})
            m_skin[std::string("game_title") + channel] = "255";
        for (const ButtonPlace& button : kButtons) {
            std::string stem = button.stem;
            std::string image = stem + ".bmp";
            std::vector<COLORREF> row(static_cast<size_t>(button.width), RGB(200, 30, 30));
            m_dir.Write("data\\" + image,
                        BmpFile(std::vector<std::vector<COLORREF>>(kButtonHeight, row)));
            for (const char* state : {"_normal", "_down", "_over"})
                m_skin[stem + state] = image;
            m_skin[stem + "_tips"] = stem;
            m_skin[stem + "_posx"] = std::to_string(button.fromRight);
            m_skin[stem + "_posy"] = std::to_string(kButtonTop);
            m_skin[stem + "_width"] = std::to_string(button.width);
            m_skin[stem + "_height"] = std::to_string(kButtonHeight);
        }
        for (const char* link : {"game_paybtn", "game_webbtn", "game_forumbtn", "game_servicebtn"})
            m_skin[std::string(link) + "_url"] = "";
    }

    // Loads the skin, then runs the game window on a blank page while the
    // steps are taken; the window is closed after the last one unless the
    // last step closes it. The dialog's result.
    INT_PTR RunGame(std::vector<CTimedSteps::Step> steps, bool lastStepCloses = false) {
        ScopedCurrentDirectory cwd(m_dir.Path());
        m_dir.Write("config.xml", Xml(m_skin));
        CConfigStore::Instance().Load();
        CEnterGameDlg game;
        game.m_gameUrl = "about:blank";
        game.m_openDpi = m_openDpi;
        m_game = &game;
        size_t count = steps.size();
        steps.insert(steps.begin(), Until([&] { return game.IsWindowVisible() != FALSE; }));
        steps.push_back(Do([&] {
            if (game.m_hWnd)
                game.EndDialog(IDCANCEL);
        }));
        CTimedSteps timed(std::move(steps));
        INT_PTR result = game.DoModal();
        m_game = nullptr;
        EXPECT_GE(timed.Taken(), lastStepCloses ? count : count + 1);
        EXPECT_TRUE(timed.GivenUp().empty()) << "step " << timed.GivenUp().front() << " gave up";
        return result;
    }

    HWND Button(UINT id) const { return ::GetDlgItem(m_game->m_hWnd, static_cast<int>(id)); }
    int ClientWidth() const {
        RECT client;
        m_game->GetClientRect(&client);
        return client.right;
    }
    // Each button (after the first `skipped`) at its distance from the right
    // edge, every length of the skin scaled to `dpi`.
    void ExpectButtonsLaidOut(size_t skipped = 0, int dpi = kSkinDpi) const {
        int width = ClientWidth();
        auto scaled = [dpi](int length) { return ScaleToDpi(length, dpi); };
        for (const ButtonPlace& button : kButtons | std::views::drop(skipped)) {
            int left = width - scaled(button.fromRight);
            RECT expected{left, scaled(kButtonTop), left + scaled(button.width),
                          scaled(kButtonTop) + scaled(kButtonHeight)};
            EXPECT_TRUE(SameRect(ChildRect(Button(button.id)), expected))
                << button.stem << " at " << dpi;
        }
    }
    // The page below the band, the title and its font, the picture (of
    // `picture` skin pixels) and the buttons, all scaled to `dpi`.
    void ExpectSkinLaidOut(int dpi, SIZE picture = {2, 20}) const {
        auto scaled = [dpi](int length) { return ScaleToDpi(length, dpi); };
        RECT client;
        m_game->GetClientRect(&client);
        EXPECT_TRUE(SameRect(ChildRect(m_game->m_browser.m_hWnd),
                             RECT{0, scaled(31), client.right, client.bottom}));
        EXPECT_TRUE(
            SameRect(ChildRect(m_game->m_title.m_hWnd),
                     RECT{scaled(40), scaled(6), scaled(40) + scaled(70), scaled(6) + scaled(18)}));
        EXPECT_TRUE(SameRect(ChildRect(m_game->m_gamePic.m_hWnd),
                             RECT{scaled(4), scaled(4), scaled(4) + scaled(picture.cx),
                                  scaled(4) + scaled(picture.cy)}));
        LOGFONTA dialogFont{}, titleFont{};
        ::GetObjectA(reinterpret_cast<HFONT>(m_game->SendMessage(WM_GETFONT)), sizeof(dialogFont),
                     &dialogFont);
        ::GetObjectA(reinterpret_cast<HFONT>(m_game->m_title.SendMessage(WM_GETFONT)),
                     sizeof(titleFont), &titleFont);
        // The template's 9-point font, as the system makes it at that DPI.
        EXPECT_EQ(titleFont.lfHeight, -::MulDiv(9, dpi, 72)) << dpi;
        EXPECT_STREQ(titleFont.lfFaceName, dialogFont.lfFaceName);
        ExpectButtonsLaidOut(0, dpi);
    }

    // Runs the tray child `program` on the skin with a blank login page,
    // ending the process by `path`; what it said.
    std::string RunTrayChild(const std::string& program, const char* path) {
        m_skin["login_url"] = "about:blank";
        m_dir.Write("config.xml", Xml(m_skin));
        const std::string output = m_dir.PathOf(std::string(path) + ".txt");
        ChildProcess child(program, path, m_dir.Path(), output);
        EXPECT_TRUE(child.WaitForExit(60000)) << path;
        EXPECT_EQ(child.ExitCode(), 1u) << path;
        std::ifstream file(output);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    // Loads the skin with a blank login page; the test's folder stays the
    // current one until the test ends.
    void LoadWithLoginPage() {
        m_skin["login_url"] = "about:blank";
        m_cwd.emplace(m_dir.Path());
        m_dir.Write("config.xml", Xml(m_skin));
        CConfigStore::Instance().Load();
    }

    TempDir m_dir;
    std::optional<ScopedCurrentDirectory> m_cwd;
    std::map<std::string, std::string> m_skin;
    // The DPI of the login window's monitor, which the window opens on.
    int m_openDpi = 0;
    CEnterGameDlg* m_game = nullptr;
};

} // namespace

TEST(GameWindowTemplate, HoldsItsThirteenControlsAsLaidDown) {
    struct Control {
        int id;
        const char* className;
        DWORD style;
        DWORD exStyle;
        RECT units;
    };
    constexpr DWORD button = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    constexpr DWORD group = WS_CHILD | WS_VISIBLE | WS_GROUP;
    const Control controls[] = {
        {1010, "Button", button, 0, {393, 1, 21, 14}},
        {1011, "Button", button, 0, {349, 1, 25, 16}},
        {1012, "Static", group, 0, {22, 30, 293, 200}},
        {1013, "Static", group, WS_EX_TRANSPARENT, {317, 2, 19, 8}},
        {1014, "Button", button, 0, {362, 27, 25, 16}},
        {1015, "Button", button, 0, {367, 62, 25, 16}},
        {1016, "Button", button, 0, {373, 87, 25, 16}},
        {1017, "Static", WS_CHILD | WS_VISIBLE | SS_BLACKFRAME, 0, {385, 107, 20, 20}},
        {1018, "Button", button, 0, {380, 155, 25, 16}},
        {1019, "Button", button, 0, {376, 178, 25, 16}},
        {1020, "Button", button, 0, {382, 203, 25, 16}},
        {1021, "Button", button, 0, {375, 229, 25, 16}},
        {1022, "Button", button, 0, {377, 253, 25, 16}},
    };
    CDialog dialog;
    ASSERT_TRUE(dialog.Create(CEnterGameDlg::kTemplateId));
    constexpr DWORD kFrame = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE;
    EXPECT_EQ(dialog.GetStyle() & (0x82000048u | kFrame), 0x82000048u);
    RECT size{0, 0, 419, 270};
    ::MapDialogRect(dialog.m_hWnd, &size);
    RECT client;
    dialog.GetClientRect(&client);
    EXPECT_TRUE(SameRect(client, size));
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(dialog.SendMessage(WM_GETFONT)), sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, "MS Shell Dlg");
    EXPECT_EQ(dialog.TemplateFontPoints(), 9);

    HWND child = ::GetWindow(dialog.m_hWnd, GW_CHILD);
    for (const Control& expected : controls) {
        ASSERT_NE(child, nullptr);
        char className[32] = {};
        ::GetClassNameA(child, className, sizeof(className));
        // The dialog manager converts the place and the size each on its own.
        RECT rect = expected.units;
        ::MapDialogRect(dialog.m_hWnd, &rect);
        rect.right += rect.left;
        rect.bottom += rect.top;
        EXPECT_EQ(::GetDlgCtrlID(child), expected.id);
        EXPECT_STRCASEEQ(className, expected.className) << expected.id;
        EXPECT_EQ(static_cast<DWORD>(::GetWindowLongA(child, GWL_STYLE)), expected.style)
            << expected.id;
        EXPECT_EQ(static_cast<DWORD>(::GetWindowLongA(child, GWL_EXSTYLE)) & WS_EX_TRANSPARENT,
                  expected.exStyle)
            << expected.id;
        EXPECT_TRUE(SameRect(ChildRect(child), rect)) << expected.id;
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);
    dialog.DestroyWindow();
}

TEST_F(GameWindowTest, OpensAtATenthOfTheScreenWithItsPageBelowTheBandAndButtonsFromTheRight) {
    RECT desktop = WindowRect(::GetDesktopWindow());
    GameRect place = InitialGamePlacement(desktop.right, desktop.bottom);
    HHOOK hook = ::SetWindowsHookExA(WH_CBT, &RecordHostCreation, nullptr, ::GetCurrentThreadId());
    g_foregroundAfterInit = nullptr;
    HHOOK initHook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &RecordForegroundAfterInit, nullptr,
                                         ::GetCurrentThreadId());
    RunGame({
        Do([&] {
            ::UnhookWindowsHookEx(hook);
            ::UnhookWindowsHookEx(initHook);
            RECT expected{place.x, place.y, place.x + place.width, place.y + place.height};
            EXPECT_TRUE(SameRect(WindowRect(m_game->m_hWnd), expected));
            // In front already before the loop shows it.
            EXPECT_EQ(g_foregroundAfterInit, m_game->m_hWnd);
            // Created on the template's client area, then moved below the band.
            RECT tpl{0, 0, 419, 270};
            ::MapDialogRect(m_game->m_hWnd, &tpl);
            EXPECT_TRUE(SameRect(g_hostCreatedAt, RECT{0, 24, tpl.right, tpl.bottom - 25}));
            EXPECT_TRUE(SameRect(ChildRect(m_game->m_browser.m_hWnd),
                                 RECT{0, 31, ClientWidth(), place.height}));
            ExpectButtonsLaidOut();
            m_game->MoveWindow(50, 60, 700, 400);
        }),
        Do([&] {
            EXPECT_EQ(ClientWidth(), 700);
            ExpectButtonsLaidOut();
        }),
    });
}

TEST_F(GameWindowTest, DpiScalesEveryLengthOfTheSkinAndTwiceSizeImagesShowFrom150Percent) {
    const int dpi = PrefixDpi();
    ASSERT_EQ(SystemDpi(), dpi) << "the test prefix's display is not at the DPI asked for";
    // Only the close button has a sharper version, in another colour.
    const COLORREF sharp = RGB(20, 40, 220);
    m_dir.Write("data\\game_closebtn@2x.bmp",
                BmpFile(std::vector<std::vector<COLORREF>>(
                    2 * kButtonHeight, std::vector<COLORREF>(2 * kButtons[0].width, sharp))));
    // The window button's sharper version is broken: its image itself shows.
    m_dir.Write("data\\game_winbtn@2x.bmp", "BM broken");
    // And the picture: red, blue where sharper.
    m_dir.Write("data\\pic.gif",
                AsString(GifScreen(8, 10) + GifImage(0, 0, 8, 10, 0) + Bytes{0x3B}));
    m_dir.Write("data\\pic@2x.gif",
                AsString(GifScreen(16, 20) + GifImage(0, 0, 16, 20, 1) + Bytes{0x3B}));
    m_skin["game_gamepic_normal"] = "pic.gif";
    // Whether every pixel a window shows has `colour`.
    auto allOf = [](HWND window, COLORREF colour) {
        CScreenShot shot(WindowRect(window));
        return shot.Count({0, 0, shot.Width(), shot.Height()}, colour) ==
               shot.Width() * shot.Height();
    };
    RunGame({Do([&] {
        ExpectSkinLaidOut(dpi, {8, 10});
        MoveMouseTo({0, 0}); // no button shows its mouse-over image
        SettleScreen();
        EXPECT_TRUE(allOf(Button(kButtons[0].id), dpi >= 144 ? sharp : RGB(200, 30, 30)));
        // Without a sharper version that loads, the image is stretched over the button.
        EXPECT_TRUE(allOf(Button(kButtons[1].id), RGB(200, 30, 30)));
        EXPECT_TRUE(allOf(m_game->m_gamePic.m_hWnd, dpi >= 144 ? kGifBlue : kGifRed));
    })});
}

TEST_F(GameWindowTest, MovingToADisplayOfAnotherDpiLaysTheWindowOutAgainWhereSuggested) {
    RunGame({Do([&] {
        m_game->SetTitleText("Set by the page");
        for (int dpi : {192, 144, PrefixDpi()}) {
            RECT suggested{30 + dpi / 4, 40, 830, 640};
            m_game->SendMessage(WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                reinterpret_cast<LPARAM>(&suggested));
            EXPECT_TRUE(SameRect(WindowRect(m_game->m_hWnd), suggested)) << dpi;
            ExpectSkinLaidOut(dpi);
        }
        EXPECT_EQ(m_game->m_title.GetText(), "Set by the page");
        // A window at its work-area size fills the new monitor's work area.
        m_game->SendMessage(WM_COMMAND, MAKEWPARAM(1015, BN_CLICKED),
                            reinterpret_cast<LPARAM>(Button(1015)));
        RECT suggested{10, 10, 500, 400}, work{};
        m_game->SendMessage(WM_DPICHANGED, MAKEWPARAM(192, 192),
                            reinterpret_cast<LPARAM>(&suggested));
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_TRUE(SameRect(WindowRect(m_game->m_hWnd), work));
        ExpectSkinLaidOut(192);
    })});
}

// The dialog is made on the primary monitor and moved onto the login
// window's, at another DPI; Windows may tell it of the change during that
// move or, as it is not shown yet, leave it to find out.
TEST_F(GameWindowTest, DpiOnAMonitorOfAnotherDpiTheWindowIsPlacedOnceAndLaidOutForIt) {
    const RECT placed = RectOf(InitialGamePlacement(MonitorHoldingRect({}).bounds));
    m_openDpi = OtherDpi();
    for (bool told : {true, false}) {
        std::optional<CDpiCrossing> crossing;
        if (told)
            crossing.emplace([this] { return m_game ? m_game->m_hWnd : nullptr; }, placed,
                             PrefixDpi(), m_openDpi);
        RunGame({Do([&] {
            EXPECT_EQ(crossing.has_value() && crossing->m_sent, told);
            EXPECT_TRUE(SameRect(WindowRect(m_game->m_hWnd), placed)) << told;
            ExpectSkinLaidOut(m_openDpi);
        })});
    }
}

// The dialog's font is made for the monitor the dialog is made on, which
// need not be at the system's DPI (one at 125 % here).
TEST_F(GameWindowTest, DpiTheTitlesFontIsTheTemplatesAtTheWindowsDpiWhereverTheDialogWasMade) {
    LOGFONTA made{};
    made.lfHeight = -::MulDiv(9, 120, 72);
    lstrcpyA(made.lfFaceName, "MS Shell Dlg");
    CFont madeAt125;
    ASSERT_TRUE(madeAt125.CreateFontIndirect(made));
    g_dialogFont = madeAt125;
    for (int dpi : {PrefixDpi(), OtherDpi()}) {
        m_openDpi = dpi;
        HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROC, &GiveDialogsTheirFont, nullptr,
                                         ::GetCurrentThreadId());
        RunGame({Do([&] {
            ::UnhookWindowsHookEx(hook);
            EXPECT_EQ(reinterpret_cast<HFONT>(m_game->SendMessage(WM_GETFONT)), g_dialogFont);
            ExpectSkinLaidOut(dpi);
        })});
    }
}

TEST_F(GameWindowTest, DpiEveryNewPageIsZoomedForAWindowOpenedAtAnotherDpiThanTheSystems) {
    m_openDpi = OtherDpi();
    const int zoom = ScaleBy(100, m_openDpi, SystemDpi());
    CFakeWebBrowser fake;
    RunGame({Do([&] {
        UseFakeBrowser(m_game->m_browser, fake);
        for (const wchar_t* page : {L"about:blank#first", L"about:blank#second"}) {
            EXPECT_EQ(FireFrameEvent(m_game->m_browser, DISPID_NAVIGATECOMPLETE2, &fake, page),
                      S_OK);
            EXPECT_EQ(FireFrameEvent(m_game->m_browser, DISPID_DOCUMENTCOMPLETE, &fake, page),
                      S_OK);
        }
        EXPECT_EQ(fake.m_zooms, (std::vector<int>{zoom, zoom}));
    })});
}

// A page that cannot be reached shows the skin's offline_page when that
// file is there, else the built-in one, told the language and title colour.
TEST_F(GameWindowTest, EachWindowShowsTheSkinsOfflinePageOrElseTheBuiltInOne) {
    m_skin["login_url"] = "about:blank";
    for (const char* place : {"posx", "posy", "width", "height"})
        m_skin[std::string("login_browserctrl_") + place] = "100";
    m_skin["game_title_r"] = "18";
    m_skin["game_title_g"] = "52";
    m_skin["game_title_b"] = "86";
    const bool english = PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_ENGLISH;
    const std::string more = std::string("&lang=") + (english ? "en" : "zh") + "&colour=123456";
    char module[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    char skinsPage[3 * MAX_PATH] = {};
    DWORD size = sizeof(skinsPage);
    ASSERT_EQ(::UrlCreateFromPathA(m_dir.PathOf("data\\offline.html").c_str(), skinsPage, &size, 0),
              S_OK);
    const std::string failed = "http://127.0.0.1:9/game.html";
    const long refused = static_cast<long>(0x800C0004);
    const struct {
        const char* setting;
        bool fileThere;
    } pages[] = {{"offline.html", true}, {"", false}, {"gone.html", false}};
    for (int i = 0; i < 6; ++i) {
        const bool game = i >= 3;
        const auto& c = pages[i % 3];
        m_skin["offline_page"] = c.setting;
        ::DeleteFileA(m_dir.PathOf("data\\offline.html").c_str());
        if (c.fileThere)
            m_dir.Write("data\\offline.html", "<p>offline</p>");
        const std::string page =
            c.fileThere ? skinsPage : std::string("res://") + module + "/offline.html";
        const std::string expected = OfflinePageAddress(page, failed, refused, more);
        CFakeWebBrowser fake;
        VARIANT_BOOL cancelled = VARIANT_FALSE;
        const auto fail = [&](SimpleBrowser& browser) {
            UseFakeBrowser(browser, fake);
            cancelled = FireNavigateError(browser, &fake, ToWide(failed), refused);
        };
        const auto shown = [&] { return !fake.m_navigations.empty(); };
        if (game) {
            RunGame({Do([&] { fail(m_game->m_browser); }), Until(shown)});
        } else {
            ScopedCurrentDirectory cwd(m_dir.Path());
            m_dir.Write("config.xml", Xml(m_skin));
            CConfigStore::Instance().Load();
            CMainDlg login;
            CTimedSteps steps({
                Until([&] { return login.Backdrop()->IsWindowVisible() != FALSE; }),
                Do([&] { fail(login.Browser()); }),
                Until(shown),
                Do([&] { login.Backdrop()->SendMessage(WM_CLOSE); }),
            });
            login.DoModal();
        }
        EXPECT_EQ(cancelled, VARIANT_TRUE) << game << c.setting;
        EXPECT_EQ(fake.m_navigations, std::vector<std::wstring>{ToWide(expected)})
            << game << c.setting;
    }
}

// The player moved the window in full screen onto a monitor of another DPI;
// leaving full screen takes it back to its place on the first monitor.
TEST_F(GameWindowTest, DpiLeavingFullScreenAcrossADpiChangeRestoresThePlaceAndNotTheMonitor) {
    RunGame({Do([&] {
        const RECT placed = WindowRect(m_game->m_hWnd);
        ASSERT_TRUE(m_game->SetFullScreen(true));
        RECT suggested{0, 0, 640, 480};
        m_game->SendMessage(WM_DPICHANGED, MAKEWPARAM(OtherDpi(), OtherDpi()),
                            reinterpret_cast<LPARAM>(&suggested));
        EXPECT_TRUE(SameRect(WindowRect(m_game->m_hWnd), WindowRect(::GetDesktopWindow())));
        CDpiCrossing crossing([this] { return m_game->m_hWnd; }, placed, OtherDpi(), PrefixDpi());
        EXPECT_FALSE(m_game->SetFullScreen(false));
        EXPECT_TRUE(crossing.m_sent);
        EXPECT_FALSE(m_game->IsFullScreen());
        EXPECT_TRUE(SameRect(WindowRect(m_game->m_hWnd), placed));
        ExpectSkinLaidOut(PrefixDpi());
    })});
}

TEST_F(GameWindowTest, DpiTheIconsHaveTheSystemsSizesForTheWindowsDpi) {
    auto expectIconsFor = [&](int dpi) {
        const SIZE big = IconSize(m_game->m_icons.Big()),
                   small = IconSize(m_game->m_trayIcon.hIcon);
        EXPECT_EQ(big.cx, ScaleToDpi(32, dpi)) << dpi;
        EXPECT_EQ(big.cy, ScaleToDpi(32, dpi)) << dpi;
        EXPECT_EQ(small.cx, ScaleToDpi(16, dpi)) << dpi;
        EXPECT_EQ(small.cy, ScaleToDpi(16, dpi)) << dpi;
    };
    auto hideToTray = [&] {
        m_game->SendMessage(WM_COMMAND, MAKEWPARAM(1014, BN_CLICKED),
                            reinterpret_cast<LPARAM>(Button(1014)));
    };
    RunGame({
        Do([&] {
            hideToTray();
            expectIconsFor(PrefixDpi());
            m_game->ShowWindow(SW_SHOW);
            RECT suggested{20, 20, 700, 500};
            m_game->SendMessage(WM_DPICHANGED, MAKEWPARAM(120, 120),
                                reinterpret_cast<LPARAM>(&suggested));
            hideToTray();
            expectIconsFor(120);
        }),
    });
}

TEST_F(GameWindowTest, OddNumbersInTheSkinReadAsAtoiReadsThem) {
    m_skin["game_title"] = "Welcome";
    m_skin["game_title_r"] = "300";
    m_skin["game_title_g"] = "-1";
    m_skin["game_title_b"] = "0";
    m_skin["game_title_posx"] = "12abc";
    m_skin["game_title_posy"] = " 3";
    // Numbers beyond int neither crash the layout nor move the other buttons.
    m_skin["game_closebtn_posx"] = "99999999999";
    m_skin["game_winbtn_posx"] = "-2147483649";
    m_skin["game_minibtn_width"] = "99999999999";
    RunGame({Do([&] {
        EXPECT_EQ(m_game->m_title.GetText(), "Welcome");
        EXPECT_TRUE(SameRect(ChildRect(m_game->m_title.m_hWnd), RECT{12, 3, 82, 21}));
        // Red 300 is 44, green -1 is 255: the text shows in that colour.
        CScreenShot shot(WindowRect(m_game->m_title.m_hWnd));
        EXPECT_GT(shot.Count(RECT{0, 0, shot.Width(), shot.Height()}, RGB(44, 255, 0)), 0);
        ExpectButtonsLaidOut(3);
    })});
}

TEST_F(GameWindowTest, WithoutSkinKeysOrBackgroundTheWindowStillOpensUnpainted) {
    RunGame({Do([&] {
        // The background shows across the band.
        CScreenShot band(ScreenClientArea(m_game->m_hWnd));
        EXPECT_EQ(band.At(ClientWidth() / 2, 28), kBandColour);
    })});
    for (auto& [key, value] : m_skin)
        value.clear();
    RunGame({Do([&] {
        int width = ClientWidth();
        for (const ButtonPlace& button : kButtons)
            EXPECT_TRUE(SameRect(ChildRect(Button(button.id)), RECT{width, 0, width, 0}));
        EXPECT_TRUE(SameRect(ChildRect(m_game->m_gamePic.m_hWnd), RECT{0, 0, 2, 20}));
        EXPECT_TRUE(m_game->m_background.IsEmpty());
        // Without a browser, full screen is neither entered nor left.
        RECT placed = WindowRect(m_game->m_hWnd);
        IWebBrowser2* browser = std::exchange(m_game->m_browser.m_pBrowser, nullptr);
        EXPECT_FALSE(m_game->SetFullScreen(true));
        EXPECT_FALSE(m_game->SetFullScreen(false));
        EXPECT_TRUE(SameRect(WindowRect(m_game->m_hWnd), placed));
        m_game->m_browser.m_pBrowser = browser;
        // No image is stretched: the dialog's own colour shows.
        CScreenShot band(ScreenClientArea(m_game->m_hWnd));
        EXPECT_EQ(band.At(width / 2, 28), ::GetSysColor(COLOR_BTNFACE));
    })});
}

// Files that crashed the decoders leave the window without its picture and icon.
TEST_F(GameWindowTest, APictureOrIconTheDecodersCannotTakeLeavesTheWindowWithoutThem) {
    m_dir.Write("data\\main.ico", IconWithWrappingEntry());
    m_skin["game_gamepic_normal"] = "pic.gif";
    for (const std::string& picture :
         {AsString(GifWithoutColourTables(1)), AsString(GifWithoutColourTables(3)),
          IconWithWrappingEntry()}) {
        m_dir.Write("data\\pic.gif", picture);
        RunGame({Do([&] {
            EXPECT_TRUE(SameRect(ChildRect(m_game->m_gamePic.m_hWnd), RECT{4, 4, 6, 24}));
            EXPECT_EQ(m_game->m_icons.Big(), nullptr);
            EXPECT_EQ(m_game->m_icons.Small(), nullptr);
        })});
    }
}

TEST_F(GameWindowTest, TheLoginPageOpensTheGameWindowAndItsPageDrivesIt) {
    CWinApp app("game window test");
    LoadWithLoginPage();
    CMainDlg login;
    app.m_pMainWnd = &login;
    std::unique_ptr<CScriptPage> loginPage;
    std::vector<std::string> log;
    CEnterGameDlg* game = nullptr;
    std::unique_ptr<CScriptPage> gamePage;
    RECT placed{}, desktop = WindowRect(::GetDesktopWindow());

    auto inGame = std::vector<CTimedSteps::Step>{
        Until([&] {
            game = dynamic_cast<CEnterGameDlg*>(app.m_pMainWnd);
            return game && game->IsWindowVisible();
        }),
        Do([&] {
            log.push_back("game open");
            EXPECT_FALSE(login.Backdrop()->IsWindowVisible());
            EXPECT_EQ(game->m_gameUrl, "about:blank#game");
            EXPECT_EQ(game->m_browser.m_url, "about:blank#game");
            // A second game window is refused while this one is open.
            EXPECT_EQ(loginPage->Run(L"external.show_game('about:blank#second');"), S_OK);
            EXPECT_EQ(app.m_pMainWnd, game);
            gamePage = PageOf(game->m_browser);
            EXPECT_EQ(gamePage->Run(L"external.set_name('abc');"), S_OK);
            EXPECT_EQ(game->m_title.GetText(), "abc");
            placed = WindowRect(game->m_hWnd);
            gamePage->Run(L"external.full_screen();");
        }),
        Do([&] {
            EXPECT_TRUE(SameRect(WindowRect(game->m_hWnd), desktop));
            EXPECT_TRUE(SameRect(game->m_savedPlacement.rcNormalPosition, placed));
            // Entering again saves nothing: the first placement stays.
            gamePage->Run(L"external.full_screen();");
            EXPECT_TRUE(SameRect(game->m_savedPlacement.rcNormalPosition, placed));
            gamePage->Run(L"external.set_window();");
        }),
        Do([&] {
            EXPECT_TRUE(SameRect(WindowRect(game->m_hWnd), placed));
            gamePage->Run(L"external.set_window();");
            EXPECT_TRUE(SameRect(WindowRect(game->m_hWnd), placed));
            // Commands for the other window do nothing.
            gamePage->Run(L"external.show_login();");
            EXPECT_FALSE(login.Backdrop()->IsWindowVisible());
            loginPage->Run(L"external.set_name('from login'); external.full_screen();");
            EXPECT_EQ(game->m_title.GetText(), "abc");
            EXPECT_TRUE(SameRect(WindowRect(game->m_hWnd), placed));
            gamePage.reset();
            log.push_back("closing game");
            game->EndDialog(IDCANCEL);
        }),
    };
    CTimedSteps loginSteps({
        Until([&] { return login.Browser().m_hWnd && login.Backdrop()->IsWindowVisible(); }),
        Do([&] {
            loginPage = PageOf(login.Browser());
            CTimedSteps gameSteps(inGame);
            log.push_back("show_game called");
            EXPECT_EQ(loginPage->Run(L"external.show_game('about:blank#game');"), S_OK);
            log.push_back("show_game returned");
            EXPECT_TRUE(gameSteps.Finished());
            loginPage.reset();
        }),
    });
    INT_PTR result = login.DoModal();
    MSG quit;
    bool quitHandedOn = ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    EXPECT_EQ(log, (std::vector<std::string>{"show_game called", "game open", "closing game",
                                             "show_game returned"}));
    // Its main window gone, the application ends: the login loop too.
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(quitHandedOn);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
}

// Refuses to create dialogs, as a system out of resources does.
LRESULT CALLBACK RefuseDialogs(int code, WPARAM wParam, LPARAM lParam) {
    char className[16] = {};
    if (code == HCBT_CREATEWND &&
        ::GetClassNameA(reinterpret_cast<HWND>(wParam), className, sizeof(className)) &&
        lstrcmpA(className, "#32770") == 0)
        return 1;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(GameWindowTest, AGameWindowThatCannotOpenGivesTheLoginWindowBack) {
    CWinApp app("game window test");
    LoadWithLoginPage();
    CMainDlg login;
    app.m_pMainWnd = &login;
    std::unique_ptr<CScriptPage> page;
    CEnterGameDlg* game = nullptr;
    CTimedSteps steps({
        Until([&] { return login.Browser().m_hWnd && login.Backdrop()->IsWindowVisible(); }),
        Do([&] {
            page = PageOf(login.Browser());
            HHOOK refuse =
                ::SetWindowsHookExA(WH_CBT, &RefuseDialogs, nullptr, ::GetCurrentThreadId());
            EXPECT_EQ(page->Run(L"external.show_game('about:blank#game');"), S_OK);
            ::UnhookWindowsHookEx(refuse);
            EXPECT_TRUE(login.Backdrop()->IsWindowVisible());
            EXPECT_EQ(app.m_pMainWnd, &login);
            // The next call is not refused as if a game window were open.
            CTimedSteps inGame({
                Until([&] {
                    game = dynamic_cast<CEnterGameDlg*>(app.m_pMainWnd);
                    return game && game->IsWindowVisible();
                }),
                Do([&] { game->EndDialog(IDCANCEL); }),
            });
            page->Run(L"external.show_game('about:blank#game');");
            EXPECT_TRUE(inGame.Finished());
            page.reset();
        }),
    });
    login.DoModal();
    EXPECT_TRUE(steps.Finished());
    // The quit that ended the application is not left for the next test.
    MSG quit;
    ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST_F(GameWindowTest, CloseAsksFirstThenEndsThroughTheWholeSequence) {
    std::unique_ptr<MessageBoxAnswerer> answer;
    std::unique_ptr<CCloseSpy> spy;
    HWND window = nullptr;
    INT_PTR result = RunGame(
        {
            Do([&] {
                window = m_game->m_hWnd;
                // F4 is the game window's while it is open.
                const bool taken = !::RegisterHotKey(nullptr, 77, 0, VK_F4);
                if (!taken)
                    ::UnregisterHotKey(nullptr, 77);
                EXPECT_TRUE(taken);
                spy = std::make_unique<CCloseSpy>(window);
                // In the tray first: closing must take the icon away.
                ClickAt(CentreOf(Button(1014)));
            }),
            Until([&] { return !m_game->IsWindowVisible(); }),
            Do([&] {
                EXPECT_TRUE(TrayIconPresent(window));
                m_game->ShowWindow(SW_SHOW);
                answer = std::make_unique<MessageBoxAnswerer>(IDCANCEL);
                ClickAt(CentreOf(Button(1010)));
            }),
            Until([&] { return answer->Answered(); }),
            Do([&] {
                EXPECT_EQ(answer->Caption(), "提示");
                EXPECT_EQ(answer->Text(), "Quit?");
                EXPECT_TRUE(m_game->IsWindowVisible());
                EXPECT_EQ(spy->m_closes, 0);
                answer = std::make_unique<MessageBoxAnswerer>(IDOK);
                ClickAt(CentreOf(Button(1010)));
            }),
            Until([] { return false; }),
        },
        true);
    EXPECT_TRUE(answer->Wait());
    EXPECT_EQ(result, IDCANCEL);
    // SC_CLOSE reaches default processing twice; the second close is harmless.
    EXPECT_EQ(spy->m_closes, 2);
    EXPECT_TRUE(spy->m_hotKeyFreeAfterFirst);
    EXPECT_FALSE(TrayIconPresent(window));
}

// The process ended at once from elsewhere (the login window's close button,
// the hand-over) while the game window is in the tray: its icon goes first.
// The icon's tip is the client's own text, or a branded release's name.
TEST_F(GameWindowTest, EndingTheProcessAtOnceLeavesNoIconInTheTray) {
    const std::string plain = ProgramDirectory() + "\\tray_exit_child.exe";
    const std::string branded = m_dir.PathOf("branded.exe");
    ASSERT_TRUE(::CopyFileA(plain.c_str(), branded.c_str(), FALSE));
    m_dir.Write("release.ini",
                reinterpret_cast<const char*>(
                    u8"name=测试游戏\npublisher=测试网络\nid=TestGame\nversion=2.0.0\n"));
    ChildProcess release(ProgramDirectory() + "\\release.exe",
                         "\"" + m_dir.Path() + "\" \"" + branded + "\" \"" +
                             m_dir.PathOf("r.cmake") + "\"",
                         m_dir.Path());
    ASSERT_TRUE(release.WaitForExit(30000));
    ASSERT_EQ(release.ExitCode(), 0u);
    const struct {
        std::string program;
        const char* path;
        const char* tip;
    } runs[] = {{plain, "close", "tip: Quorvane"}, {branded, "handover", "tip: 测试游戏"}};
    for (const auto& run : runs) {
        const std::string said = RunTrayChild(run.program, run.path);
        for (const char* line : {"in tray: yes", "icon at exit: no", run.tip})
            EXPECT_NE(said.find(line), std::string::npos) << run.path << ": " << said;
    }
}

// The work area made smaller than the screen for a scope, as a task bar does.
class CShrunkWorkArea {
public:
    CShrunkWorkArea() {
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &m_saved, 0);
        m_area = m_saved;
        m_area.left += 16;
        m_area.bottom -= 40;
        ::SystemParametersInfoA(SPI_SETWORKAREA, 0, &m_area, 0);
    }
    ~CShrunkWorkArea() { ::SystemParametersInfoA(SPI_SETWORKAREA, 0, &m_saved, 0); }
    CShrunkWorkArea(const CShrunkWorkArea&) = delete;
    CShrunkWorkArea& operator=(const CShrunkWorkArea&) = delete;

    RECT m_area{};

private:
    RECT m_saved{};
};

TEST_F(GameWindowTest, WindowButtonsToggleTheWorkAreaMinimiseAndHideToTheTray) {
    RECT before{};
    CShrunkWorkArea work;
    RunGame({
        Do([&] {
            before = WindowRect(m_game->m_hWnd);
            ClickAt(CentreOf(Button(1015)));
        }),
        Until([&] { return m_game->m_maximized; }),
        Do([&] {
            EXPECT_TRUE(SameRect(WindowRect(m_game->m_hWnd), work.m_area));
            ExpectButtonsLaidOut();
            ClickAt(CentreOf(Button(1015)));
        }),
        Until([&] { return !m_game->m_maximized; }),
        Do([&] {
            EXPECT_TRUE(SameRect(WindowRect(m_game->m_hWnd), before));
            ClickAt(CentreOf(Button(1016)));
        }),
        Until([&] { return m_game->IsIconic() != FALSE; }),
        Do([&] { m_game->ShowWindow(SW_RESTORE); }),
        Until([&] { return !m_game->IsIconic() && m_game->IsWindowVisible(); }),
        Do([&] { ClickAt(CentreOf(Button(1014))); }),
        Until([&] { return !m_game->IsWindowVisible(); }),
        Do([&] {
            EXPECT_TRUE(TrayIconPresent(m_game->m_hWnd));
            EXPECT_FALSE(m_game->m_inTray);
        }),
    });
}

TEST_F(GameWindowTest, LinkButtonsOpenExactlyTheirConfiguredAddresses) {
    // Each address is a copy of a recorder program that notes it was started.
    const std::pair<const char*, UINT> links[] = {{"game_paybtn", 1018},
                                                  {"game_webbtn", 1019},
                                                  {"game_forumbtn", 1021},
                                                  {"game_servicebtn", 1020}};
    auto record = [&](const char* stem) {
        return m_dir.PathOf(std::string(stem) + "\\command-line.txt");
    };
    for (const auto& [stem, id] : links) {
        std::string program = m_dir.Write(std::string(stem) + "\\open.exe", "");
        ASSERT_TRUE(::CopyFileA((ProgramDirectory() + "\\game_standin.exe").c_str(),
                                program.c_str(), FALSE));
        m_skin[std::string(stem) + "_url"] = program;
    }
    std::vector<CTimedSteps::Step> steps;
    for (const auto& [stem, id] : links) {
        steps.push_back(Do([&, id = id] { ClickAt(CentreOf(Button(id))); }));
        steps.push_back(Until([&, stem = stem] {
            return ::GetFileAttributesA(record(stem).c_str()) != INVALID_FILE_ATTRIBUTES;
        }));
        steps.push_back(Do([&, stem = stem] {
            for (const auto& [other, unused] : links) {
                bool opened =
                    ::GetFileAttributesA(record(other).c_str()) != INVALID_FILE_ATTRIBUTES;
                EXPECT_EQ(opened, other == stem) << stem << " opened " << other;
            }
            ::DeleteFileA(record(stem).c_str());
        }));
    }
    RunGame(std::move(steps));
}

TEST_F(GameWindowTest, KeysAndTheRightButtonAreFilteredAndTheSurfaceDragsTheWindow) {
    CFakeWebBrowser fake;
    IWebBrowser2* real = nullptr;
    std::unique_ptr<CMessageRecorder> page;
    HWND inner = nullptr;
    // Enter and Escape are dropped as keys only: a Ctrl+Shift+left press or
    // drag carries 13 too, and so may a timer.
    constexpr WPARAM kCtrlShiftLeft = MK_LBUTTON | MK_SHIFT | MK_CONTROL;
    const std::pair<UINT, WPARAM> posted[] = {
        {WM_KEYDOWN, VK_RETURN},
        {WM_CHAR, 13},
        {WM_KEYUP, VK_ESCAPE},
        {WM_APP + 1, 27},
        {WM_KEYDOWN, VK_F5},
        {WM_KEYUP, VK_F5},
        {WM_RBUTTONDOWN, 0},
        {WM_RBUTTONUP, 0},
        {WM_LBUTTONDOWN, kCtrlShiftLeft},
        {WM_MOUSEMOVE, kCtrlShiftLeft},
        {WM_TIMER, 27},
        {WM_APP + 2, 0},
    };
    const std::vector<std::pair<UINT, WPARAM>> arrived = {{WM_APP + 1, 27},
                                                          {WM_KEYUP, VK_F5},
                                                          {WM_LBUTTONDOWN, 0},
                                                          {WM_LBUTTONUP, 0},
                                                          {WM_LBUTTONDOWN, kCtrlShiftLeft},
                                                          {WM_MOUSEMOVE, kCtrlShiftLeft},
                                                          {WM_TIMER, 27},
                                                          {WM_APP + 2, 0}};
    RunGame({
        Do([&] {
            ASSERT_NE(m_game->m_browser.m_pBrowser, nullptr);
            // The deepest of the browser's own windows stands for the page.
            inner = m_game->m_browser.m_hWnd;
            while (HWND child = ::GetWindow(inner, GW_CHILD))
                inner = child;
            real = std::exchange(m_game->m_browser.m_pBrowser, &fake);
            page = std::make_unique<CMessageRecorder>(inner);
            // (A timer's lParam would be called as its procedure.)
            for (const auto& [message, wParam] : posted)
                ::PostMessageA(inner, message, wParam, message == WM_TIMER ? 0 : kPostedAt);
        }),
        Until([&] {
            return !page->m_received.empty() && page->m_received.back().first == WM_APP + 2;
        }),
        Do([&] {
            EXPECT_EQ(page->m_received, arrived);
            EXPECT_EQ(fake.m_refreshes, 1);
            ClickAt(CentreOf(Button(1022)));
        }),
        Until([&] { return fake.m_refreshes == 2; }),
        Do([&] {
            page.reset();
            m_game->m_browser.m_pBrowser = real;
            // On the window's own surface the right button starts a move.
            g_moveStart = {};
            g_moveHook = ::SetWindowsHookExA(WH_GETMESSAGE, &CatchMoveStart, nullptr,
                                             ::GetCurrentThreadId());
            m_game->PostMessage(WM_RBUTTONDOWN, 0, MAKELPARAM(300, 15));
        }),
        Until([] { return g_moveStart.message != 0; }),
        Do([&] {
            ::UnhookWindowsHookEx(g_moveHook);
            EXPECT_EQ(g_moveStart.hwnd, m_game->m_hWnd);
            EXPECT_EQ(g_moveStart.wParam, static_cast<WPARAM>(HTCAPTION));
            EXPECT_EQ(g_moveStart.lParam, MAKELPARAM(300, 15));
        }),
    });
}

TEST_F(GameWindowTest, F4AndTheTrayIconFollowTheirStateTable) {
    enum Event { F4, TrayButton, DoubleClick };
    struct Row {
        Event event;
        bool visible;
        bool inTray;
    };
    const Row rows[] = {
        {F4, false, true},
        {F4, true, false},
        // Hidden by the button, F4 only marks the state, and the next shows.
        {TrayButton, false, false},
        {F4, false, true},
        {F4, true, false},
        // A double click shows the window but keeps the state: F4 shows again first.
        {F4, false, true},
        {DoubleClick, true, true},
        {F4, true, false},
        {F4, false, true},
    };
    std::vector<CTimedSteps::Step> steps;
    for (const Row& row : rows) {
        steps.push_back(Do([&, event = row.event] {
            // The key itself, so the system's hotkey reaches the window.
            if (event == F4)
                PressKey(VK_F4);
            else if (event == TrayButton)
                ClickAt(CentreOf(Button(1014)));
            else
                m_game->PostMessage(CEnterGameDlg::kTrayNotify, CEnterGameDlg::kTrayIconId,
                                    WM_LBUTTONDBLCLK);
        }));
        steps.push_back(Until([&, row] {
            return (m_game->IsWindowVisible() != FALSE) == row.visible &&
                   m_game->m_inTray == row.inTray;
        }));
        steps.push_back(Do([&] { EXPECT_TRUE(TrayIconPresent(m_game->m_hWnd)); }));
    }
    RunGame(std::move(steps));
}

TEST_F(GameWindowTest, TrayMenuOpensTheWindowOrEndsItWithoutAsking) {
    std::vector<std::pair<UINT, std::string>> items;
    std::unique_ptr<CCloseSpy> spy;
    auto rightClickIcon = [&] {
        m_game->PostMessage(CEnterGameDlg::kTrayNotify, CEnterGameDlg::kTrayIconId, WM_RBUTTONUP);
    };
    // Another program is in front when the player right-clicks the icon.
    HWND other = ::CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                   nullptr, nullptr, nullptr, nullptr);
    HWND inFrontWithMenu = nullptr;
    HHOOK nulls = nullptr;
    INT_PTR result = RunGame(
        {
            Do([&] {
                spy = std::make_unique<CCloseSpy>(m_game->m_hWnd);
                m_game->ShowWindow(SW_HIDE);
                ::SetForegroundWindow(other);
            }),
            Until([&] { return ::GetForegroundWindow() == other; }),
            Do([&] {
                g_nullTarget = m_game->m_hWnd;
                g_nullsTaken = 0;
                nulls = ::SetWindowsHookExA(WH_GETMESSAGE, &CountNulls, nullptr,
                                            ::GetCurrentThreadId());
                rightClickIcon();
            }),
            Until([&] {
                inFrontWithMenu = ::GetForegroundWindow();
                return ChooseMenuItem(1, &items);
            }),
            Until([&] { return m_game->IsWindowVisible() != FALSE; }),
            Do([&] {
                ::UnhookWindowsHookEx(nulls);
                // The menu closes on a click elsewhere only with its window in
                // front, and a message after it lets it end.
                EXPECT_EQ(inFrontWithMenu, m_game->m_hWnd);
                EXPECT_GE(g_nullsTaken, 1);
                ::DestroyWindow(other);
                EXPECT_EQ(items,
                          (std::vector<std::pair<UINT, std::string>>{{2, "关闭"}, {24, "打开"}}));
                rightClickIcon();
            }),
            Until([&] { return ChooseMenuItem(0, &items); }),
            Until([] { return false; }),
        },
        true);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(spy->m_closes, 0);
}

TEST_F(GameWindowTest, ThousandsOfPressesAndModeChangesLeaveNoObjectsBehind) {
    // The counts see a leak: ten brushes and ten icons made on purpose (each
    // icon holds bitmaps of its own too).
    {
        int gdi = CountGdiObjects(), icons = CountIcons();
        std::vector<HBRUSH> brushes;
        std::vector<HANDLE> leaked;
        for (int i = 0; i < 10; ++i) {
            brushes.push_back(::CreateSolidBrush(RGB(i, 0, 0)));
            leaked.push_back(::LoadImageA(nullptr, m_dir.PathOf("data\\main.ico").c_str(),
                                          IMAGE_ICON, 0, 0, LR_LOADFROMFILE));
        }
        EXPECT_GE(CountGdiObjects(), gdi + 10);
        EXPECT_GE(CountIcons(), icons + 10);
        for (HBRUSH brush : brushes)
            ::DeleteObject(brush);
        for (HANDLE icon : leaked)
            ::DestroyIcon(static_cast<HICON>(icon));
    }
    std::unique_ptr<CScriptPage> page;
    int gdi = 0, icons = 0;
    auto pressF4 = [&](int times) {
        for (int i = 0; i < times; ++i)
            m_game->PostMessage(WM_HOTKEY, CEnterGameDlg::kHotKeyId, MAKELPARAM(0, VK_F4));
    };
    auto allTaken = [&] {
        MSG msg;
        return !::PeekMessageA(&msg, m_game->m_hWnd, WM_HOTKEY, WM_HOTKEY, PM_NOREMOVE);
    };
    const wchar_t cycles[] = L"for (var i = 0; i < %d; i++) { external.full_screen(); "
                             L"external.set_window(); }";
    auto cycle = [&](int times) {
        wchar_t script[160];
        swprintf(script, 160, cycles, times);
        EXPECT_EQ(page->Run(script), S_OK);
    };
    RunGame({
        Do([&] {
            page = PageOf(m_game->m_browser);
            // Once each first, so that what is made once per window is made.
            pressF4(2);
            cycle(1);
        }),
        Until(allTaken),
        Do([&] {
            SettleScreen();
            gdi = CountGdiObjects();
            icons = CountIcons();
            pressF4(1000);
        }),
        Until(allTaken),
        Do([&] {
            cycle(1000);
            SettleScreen();
            EXPECT_EQ(CountGdiObjects(), gdi);
            EXPECT_EQ(CountIcons(), icons);
            EXPECT_TRUE(m_game->IsWindowVisible());
            EXPECT_EQ(page->Run(L"external.set_name(new Array(100001).join('x'));"), S_OK);
            EXPECT_EQ(m_game->m_title.GetText().size(), 100000u);
            m_game->m_title.UpdateWindow();
            page.reset();
        }),
    });
}

TEST_F(GameWindowTest, TheKeyTableAndTheReferenceNameExactlyTheKeysTheClientReads) {
    CConfigStore::Instance().RecordKeysRead(true);
    {
        ScopedCurrentDirectory cwd(m_dir.Path());
        CMainDlg login;
        CTimedSteps steps({
            Until([&] { return login.Backdrop()->IsWindowVisible() != FALSE; }),
            Do([&] { login.Backdrop()->SendMessage(WM_CLOSE); }),
        });
        login.DoModal();
    }
    // The link addresses and the close question are read when their buttons are pressed.
    for (const char* link : {"game_paybtn", "game_webbtn", "game_forumbtn", "game_servicebtn"})
        m_skin[std::string(link) + "_url"] = m_dir.PathOf("nothing-here.exe");
    std::unique_ptr<MessageBoxAnswerer> answer;
    std::vector<CTimedSteps::Step> steps;
    for (UINT id : {1018u, 1019u, 1020u, 1021u})
        steps.push_back(Do([&, id] { ClickAt(CentreOf(Button(id))); }));
    steps.push_back(Do([&] {
        answer = std::make_unique<MessageBoxAnswerer>(IDCANCEL);
        ClickAt(CentreOf(Button(1010)));
    }));
    steps.push_back(Until([&] { return answer->Answered(); }));
    RunGame(std::move(steps));

    std::ifstream file(WinePath(CLIENT_SOURCE_DIR "/docs/configuration.md"));
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::set<std::string> documented;
    const std::regex key("`((login|game|offline|trusted)_[a-z_]+)`");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), key);
         it != std::sregex_iterator(); ++it)
        documented.insert((*it)[1]);
    // The buttons' stems are named too; no key ends in one.
    std::erase_if(documented, [](const std::string& name) { return name.ends_with("btn"); });
    const std::set<std::string> read = CConfigStore::Instance().KeysRead();
    CConfigStore::Instance().RecordKeysRead(false);
    std::set<std::string> table;
    for (const SkinKey& entry : SkinKeys())
        table.insert(entry.name);
    EXPECT_EQ(read.size(), 117u);
    EXPECT_EQ(table.size(), SkinKeys().size());
    EXPECT_EQ(table, read);
    EXPECT_EQ(documented, read);
}

// Whether each channel of `colour` lies between those of `a` and `b`.
bool Between(COLORREF colour, COLORREF a, COLORREF b) {
    auto within = [](int value, int x, int y) {
        return value >= std::min(x, y) && value <= std::max(x, y);
    };
    return within(GetRValue(colour), GetRValue(a), GetRValue(b)) &&
           within(GetGValue(colour), GetGValue(a), GetGValue(b)) &&
           within(GetBValue(colour), GetBValue(a), GetBValue(b));
}

// How many pixels of the image in `file` differ from the shot at `at`.
int Mismatches(const CScreenShot& shot, POINT at, const char* file) {
    CBitmap image;
    image.Attach(static_cast<HBITMAP>(
        ::LoadImageA(nullptr, file, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    BITMAP info{};
    if (!image.GetBitmap(&info))
        return -1;
    CDC memory;
    memory.CreateCompatibleDC(nullptr);
    CSelectObject selected(memory, image.GetSafeHandle());
    int mismatches = 0;
    for (int y = 0; y < info.bmHeight; ++y)
        for (int x = 0; x < info.bmWidth; ++x)
            mismatches += ::GetPixel(memory.GetSafeHdc(), x, y) != shot.At(at.x + x, at.y + y);
    return mismatches;
}

// The demo skin's game window as a player sees it, kept as a screenshot.
TEST(GameWindowDemo, TheDefaultSkinShowsItsGameWindow) {
    ScopedCurrentDirectory cwd(WinePath(CLIENT_SOURCE_DIR "/demo"));
    CConfigStore::Instance().Load();
    CGdiplusSession gdiplus;
    CEnterGameDlg game;
    game.m_gameUrl = "about:blank";
    auto titleShot = [&] {
        game.m_title.UpdateWindow();
        SettleScreen();
        return CScreenShot(WindowRect(game.m_title.m_hWnd));
    };
    auto differ = [](const CScreenShot& a, const CScreenShot& b) {
        for (int y = 0; y < a.Height(); ++y)
            for (int x = 0; x < a.Width(); ++x)
                if (a.At(x, y) != b.At(x, y))
                    return true;
        return false;
    };
    CTimedSteps steps({
        Until([&] { return game.IsWindowVisible() && game.m_gamePic.IsAnimating(); }),
        Do([&] {
            MoveMouseTo({0, 0}); // no button shows its mouse-over image
            SettleScreen();
            CScreenShot shot(WindowRect(game.m_hWnd));
            EXPECT_TRUE(WritePng(WinePath(CLIENT_BUILD_DIR "/screenshot-game.png"), shot.Width(),
                                 shot.Height(), [&](int x, int y) {
                                     return 0xFF000000u |
                                            RGB(GetBValue(shot.At(x, y)), GetGValue(shot.At(x, y)),
                                                GetRValue(shot.At(x, y)));
                                 }));
            // The band between the title and the buttons: the top of the
            // background's light-to-mid blue.
            RECT title = ChildRect(game.m_title.m_hWnd), pay = ChildRect(game.m_btnPay.m_hWnd);
            EXPECT_TRUE(Between(shot.At((title.right + pay.left) / 2, 15), RGB(0x40, 0x6E, 0x9E),
                                RGB(0x33, 0x59, 0x83)));
            RECT close = ChildRect(game.m_btnClose.m_hWnd);
            EXPECT_EQ(Mismatches(shot, {close.left, close.top}, "data\\game_close_normal.bmp"), 0);
            EXPECT_GT(shot.Count(title, RGB(232, 238, 246)), 0);
            // Chinese text shows as its characters, not as a row of boxes:
            // the same characters in another order look different.
            CScreenShot written = titleShot();
            game.m_title.SetText("游戏示例");
            EXPECT_TRUE(differ(written, titleShot()));
            game.EndDialog(IDOK);
        }),
    });
    game.DoModal();
    EXPECT_TRUE(steps.Finished());
}
