// The eight commands and their registration: each reaches the window that
// owns the calling host, and only a window of the kind it acts on.

#include "BrowserEvents.h"
#include "BrowserTestParent.h"
#include "DispatchArgs.h"
#include "FakeWebBrowser.h"
#include "ScriptCommandTargets.h"
#include "ScriptCommands.h"
#include "ScriptPage.h"
#include "UrlCache.h"
#include "UrlCacheEntries.h"

#include <gtest/gtest.h>

#include <exdispid.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class CLoginTestWindow : public CBrowserTestParent, public CLoginWindowCommands {
public:
    std::vector<std::string> m_log;
    std::function<void()> m_whileShowingGame;

    void ShowGame(const char* address) override {
        m_log.push_back(std::string("show_game ") + address);
        if (m_whileShowingGame)
            m_whileShowingGame();
        m_log.push_back("show_game returned");
    }
    void ShowBackdrop(int showCommand) override {
        m_log.push_back("backdrop " + std::to_string(showCommand));
    }
};

class CGameTestWindow : public CBrowserTestParent, public CGameWindowCommands {
public:
    std::vector<std::string> m_log;

    void SetTitleText(const char* text) override { m_log.push_back(std::string("title ") + text); }
    bool SetFullScreen(bool fullScreen) override {
        m_log.push_back(fullScreen ? "full screen" : "window");
        return fullScreen;
    }
};

// A modal dialog that runs `m_step` once its loop is running.
class CNestedDialog : public CDialog {
public:
    CNestedDialog() : CDialog(IDD_BROWSER_PARENT) {}
    std::function<void(CNestedDialog&)> m_step;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        PostMessage(WM_APP + 5);
        return TRUE;
    }
    void OnStep() {
        if (m_step)
            m_step(*this);
    }
    static const MessageMap* ThisMessageMap() {
        static const MessageMapEntry entries[] = {
            OnMessage<WM_APP + 5, &CNestedDialog::OnStep>(),
        };
        static const MessageMap map{CDialog::ThisMessageMap(), entries};
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }
};

// A host window (no browser control needed) inside `parent`.
bool CreatePlainHost(SimpleBrowser& host, CWnd& parent) {
    RECT rect{0, 0, 50, 50};
    return host.Create(AfxRegisterWndClass(0), "dd", WS_VISIBLE, rect, &parent, 1012) != FALSE;
}

HRESULT Command(SimpleBrowser& host, const wchar_t* name, CCallArgs& args) {
    return CallByName(host.m_pUIHandler->m_pExternal, name, args);
}

HRESULT Command(SimpleBrowser& host, const wchar_t* name) {
    CCallArgs none;
    return Command(host, name, none);
}

HRESULT Command(SimpleBrowser& host, const wchar_t* name, const wchar_t* text) {
    CCallArgs args;
    if (text)
        args.Text(text);
    else
        args.NullText();
    return Command(host, name, args);
}

// Every command, with the arguments it takes.
void RunAllCommands(SimpleBrowser& host) {
    EXPECT_EQ(Command(host, L"set_name", L"abc"), S_OK);
    EXPECT_EQ(Command(host, L"show_game", L"http://127.0.0.1/g.html"), S_OK);
    EXPECT_EQ(Command(host, L"close_login"), S_OK);
    EXPECT_EQ(Command(host, L"show_login"), S_OK);
    EXPECT_EQ(Command(host, L"full_screen"), S_OK);
    EXPECT_EQ(Command(host, L"set_window"), S_OK);
}

TEST(ScriptCommands, RegistersTheEightCommandsInOrderWithTheirArgumentCounts) {
    SimpleBrowser host;
    RegisterScriptCommands(&host);
    ShowTrustedDocument(host);
    IDispatch* external = host.m_pUIHandler->m_pExternal;
    EXPECT_EQ(host.m_pUIHandler->m_pExternal->m_context, &host);
    const wchar_t* names[] = {L"home",       L"set_name",    L"show_game",   L"close_login",
                              L"show_login", L"clear_cache", L"full_screen", L"set_window"};
    const int counts[] = {0, 1, 1, 0, 0, 0, 0, 0};
    for (int i = 0; i < 8; ++i) {
        DISPID dispid = 0;
        ASSERT_EQ(DispidOf(external, names[i], &dispid), S_OK);
        EXPECT_EQ(dispid, 1000 + i);
        // One argument more than the command takes always fails.
        CCallArgs tooMany;
        for (int k = 0; k <= counts[i]; ++k)
            tooMany.Text(L"x");
        EXPECT_EQ(Call(external, dispid, tooMany), E_FAIL) << i;
    }
    // Registering again (a later navigation) changes nothing.
    RegisterScriptCommands(&host);
    DISPID dispid = 0;
    EXPECT_EQ(DispidOf(external, L"set_window", &dispid), S_OK);
    EXPECT_EQ(dispid, 1007);
    EXPECT_EQ(DispidOf(external, L"Home", &dispid), E_FAIL);
}

TEST(ScriptCommands, AHostWithoutUIHandlerRegistersNothing) {
    SimpleBrowser host;
    CDocHostUIHandler* handler = host.m_pUIHandler;
    host.m_pUIHandler = nullptr;
    RegisterScriptCommands(&host);
    RegisterScriptCommands(nullptr);
    host.m_pUIHandler = handler;
    DISPID dispid = 0;
    EXPECT_EQ(DispidOf(handler->m_pExternal, L"home", &dispid), E_FAIL);
    EXPECT_EQ(handler->m_pExternal->m_context, nullptr);
}

TEST(ScriptCommands, HomeReloadsTheCallingHostsPage) {
    CFakeWebBrowser fake;
    SimpleBrowser host;
    SimpleBrowser other;
    UseFakeBrowser(host, fake);
    RegisterScriptCommands(&host);
    ShowTrustedDocument(host);
    RegisterScriptCommands(&other);
    ShowTrustedDocument(other);
    EXPECT_EQ(Command(host, L"home"), S_OK);
    EXPECT_EQ(fake.m_refreshes, 1);
    EXPECT_TRUE(fake.m_navigations.empty()); // a reload, not a navigation to the first page
    // A host without a browser does nothing.
    EXPECT_EQ(Command(other, L"home"), S_OK);
    EXPECT_EQ(fake.m_refreshes, 1);
}

TEST(ScriptCommands, LoginCommandsReachTheLoginWindow) {
    CLoginTestWindow login;
    ASSERT_TRUE(login.Open());
    SimpleBrowser host;
    ASSERT_TRUE(CreatePlainHost(host, login));
    RegisterScriptCommands(&host);
    ShowTrustedDocument(host);
    EXPECT_EQ(Command(host, L"show_game", L"http://127.0.0.1/g.html"), S_OK);
    EXPECT_EQ(Command(host, L"close_login"), S_OK);
    EXPECT_EQ(Command(host, L"show_login"), S_OK);
    EXPECT_EQ(Command(host, L"show_game", nullptr), S_OK);
    // Game-window commands from the login page do nothing.
    EXPECT_EQ(Command(host, L"set_name", L"abc"), S_OK);
    EXPECT_EQ(Command(host, L"full_screen"), S_OK);
    EXPECT_EQ(Command(host, L"set_window"), S_OK);
    EXPECT_EQ(login.m_log, (std::vector<std::string>{
                               "show_game http://127.0.0.1/g.html", "show_game returned",
                               "backdrop 6", "backdrop 1", "show_game ", "show_game returned"}));
    // A call without its argument fails and opens nothing.
    login.m_log.clear();
    CCallArgs none;
    EXPECT_EQ(Command(host, L"show_game", none), E_FAIL);
    EXPECT_TRUE(login.m_log.empty());
}

TEST(ScriptCommands, GameCommandsReachTheGameWindow) {
    CGameTestWindow game;
    ASSERT_TRUE(game.Open());
    SimpleBrowser host;
    ASSERT_TRUE(CreatePlainHost(host, game));
    RegisterScriptCommands(&host);
    ShowTrustedDocument(host);
    EXPECT_EQ(Command(host, L"set_name", L"abc"), S_OK);
    EXPECT_EQ(Command(host, L"set_name", L"\u6E38\u620F"), S_OK);
    EXPECT_EQ(Command(host, L"set_name", nullptr), S_OK);
    CCallArgs number;
    number.Int(5);
    EXPECT_EQ(Command(host, L"set_name", number), S_OK);
    EXPECT_EQ(Command(host, L"full_screen"), S_OK);
    EXPECT_EQ(Command(host, L"set_window"), S_OK);
    // Login-window commands from the game page do nothing.
    EXPECT_EQ(Command(host, L"show_game", L"http://127.0.0.1/g.html"), S_OK);
    EXPECT_EQ(Command(host, L"close_login"), S_OK);
    EXPECT_EQ(Command(host, L"show_login"), S_OK);
    EXPECT_EQ(game.m_log, (std::vector<std::string>{"title abc", "title \xD3\xCE\xCF\xB7", "title ",
                                                    "title 5", "full screen", "window"}));
}

TEST(ScriptCommands, WindowsOfNeitherKindAreLeftAlone) {
    // A window with an object of another class, and one with no object at all.
    CBrowserTestParent plain;
    ASSERT_TRUE(plain.Open());
    SimpleBrowser host;
    ASSERT_TRUE(CreatePlainHost(host, plain));
    RegisterScriptCommands(&host);
    ShowTrustedDocument(host);
    RunAllCommands(host);

    HWND raw = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
    ASSERT_NE(raw, nullptr);
    SimpleBrowser rawHost;
    RECT rect{0, 0, 5, 5};
    CWnd* rawParent = CWnd::FromHandle(raw);
    ASSERT_TRUE(rawHost.Create(AfxRegisterWndClass(0), "dd", 0, rect, rawParent, 1012));
    RegisterScriptCommands(&rawHost);
    ShowTrustedDocument(rawHost);
    RunAllCommands(rawHost);
    rawHost.DestroyWindow();
    ::DestroyWindow(raw);
}

TEST(ScriptCommands, WithoutAContextNothingHappens) {
    CLoginTestWindow login;
    ASSERT_TRUE(login.Open());
    CFakeWebBrowser fake;
    SimpleBrowser host;
    ASSERT_TRUE(CreatePlainHost(host, login));
    UseFakeBrowser(host, fake);
    RegisterScriptCommands(&host);
    ShowTrustedDocument(host);
    host.m_pUIHandler->m_pExternal->m_context = nullptr;
    EXPECT_EQ(Command(host, L"home"), S_OK);
    RunAllCommands(host);
    EXPECT_EQ(fake.m_refreshes, 0);
    EXPECT_TRUE(login.m_log.empty());
}

TEST(ScriptCommands, ShowGameReturnsWhenItsNestedLoopEndsAndCallsRunMeanwhile) {
    CLoginTestWindow login;
    ASSERT_TRUE(login.Open());
    SimpleBrowser host;
    ASSERT_TRUE(CreatePlainHost(host, login));
    RegisterScriptCommands(&host);
    ShowTrustedDocument(host);
    login.m_whileShowingGame = [&] {
        CNestedDialog game;
        game.m_step = [&](CNestedDialog& dialog) {
            // Another script call while the first one waits.
            EXPECT_EQ(Command(host, L"close_login"), S_OK);
            dialog.EndDialog(IDOK);
        };
        EXPECT_EQ(game.DoModal(), IDOK);
    };
    EXPECT_EQ(Command(host, L"show_game", L"http://127.0.0.1/g.html"), S_OK);
    EXPECT_EQ(login.m_log, (std::vector<std::string>{"show_game http://127.0.0.1/g.html",
                                                     "backdrop 6", "show_game returned"}));
}

TEST(ScriptCommands, ClearCacheEmptiesTheBrowserCache) {
    SimpleBrowser host;
    RegisterScriptCommands(&host);
    ShowTrustedDocument(host);
    ASSERT_TRUE(AddCacheEntry("http://cache.test/command.html"));
    ASSERT_FALSE(CacheEntries().empty());
    EXPECT_EQ(Command(host, L"clear_cache"), S_OK);
    EXPECT_TRUE(CacheEntries().empty());
    // It needs no context.
    host.m_pUIHandler->m_pExternal->m_context = nullptr;
    ASSERT_TRUE(AddCacheEntry("http://cache.test/command2.html"));
    EXPECT_EQ(Command(host, L"clear_cache"), S_OK);
    EXPECT_TRUE(CacheEntries().empty());
}

TEST(ScriptCommands, APageDrivesItsWindowThroughItsHost) {
    CLoginTestWindow login;
    ASSERT_TRUE(login.Open());
    CRecordingBrowser host;
    host.TrustAddress("about:blank");
    ASSERT_TRUE(host.CreateBrowser("about:blank", 0, 0, 200, 150, &login, IDC_GAME_PLACEHOLDER));
    // The page's first completed navigation makes window.external usable.
    ASSERT_EQ(
        FireFrameEvent(host, DISPID_NAVIGATECOMPLETE2, host.m_pBrowserDispatch, L"about:blank"),
        S_OK);
    CFakeWebBrowser fake;
    UseFakeBrowser(host, fake);
    IDispatch* external = nullptr;
    ASSERT_EQ(host.m_pUIHandler->GetExternal(&external), S_OK);
    CScriptPage page(external);
    ASSERT_TRUE(page.Ready());
    EXPECT_EQ(page.Run(L"external.home();"
                       L"external.show_game('http://127.0.0.1/g.html');"
                       L"external.close_login();"
                       L"external.set_name('x');"
                       L"try { external.show_game() } catch (e) { var failed = e.number }"),
              S_OK);
    EXPECT_EQ(fake.m_refreshes, 1);
    EXPECT_EQ(login.m_log, (std::vector<std::string>{"show_game http://127.0.0.1/g.html",
                                                     "show_game returned", "backdrop 6"}));
    EXPECT_EQ(page.Eval(L"failed"), ScriptNumber(E_FAIL));
}

} // namespace
