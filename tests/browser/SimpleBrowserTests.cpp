// The browser host with the real WebBrowser control under Wine: creation over
// the placeholders, resizing, the events it fires, and the events Wine's
// control cannot fire delivered through the host's sink as the control would.

#include "BrowserEvents.h"
#include "BrowserTestParent.h"
#include "DispatchArgs.h"
#include "FakeWebBrowser.h"
#include "OleControlSite.h"
#include "UiPump.h"

#include <gtest/gtest.h>

#include <exdispid.h>

#include <memory>
#include <string>

namespace {

std::string Str(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

class BrowserHost : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(parent.Open()); }
    void TearDown() override {
        if (parent.m_hWnd)
            parent.DestroyWindow();
    }
    // A host over placeholder 1012 with the real control, its first page started.
    void CreateGameHost() {
        browser.m_trust.TrustOriginOf("http://h/");
        browser.TrustAddress("about:blank");
        ASSERT_TRUE(
            browser.CreateBrowser("about:blank", 5, 6, 200, 150, &parent, IDC_GAME_PLACEHOLDER));
        ASSERT_TRUE(PumpUntil([&] { return !browser.m_navigations.empty(); }));
        PumpFor(100);
        browser.m_navigations.clear();
        parent.m_notifications.clear();
    }
    IDispatch* External() { return browser.m_pUIHandler->m_pExternal; }

    CFakeWebBrowser fake;
    CFakeDocument document;
    CBrowserTestParent parent;
    CRecordingBrowser browser;
};

TEST_F(BrowserHost, TakesThePlaceOfTheGamePlaceholderAndFillsTheParentsClientArea) {
    RECT client{};
    parent.GetClientRect(&client);
    ASSERT_TRUE(
        browser.CreateBrowser("about:blank", 5, 6, 200, 150, &parent, IDC_GAME_PLACEHOLDER));
    EXPECT_EQ(browser.m_url, "about:blank");
    ASSERT_NE(browser.m_hWnd, nullptr);
    EXPECT_EQ(::GetDlgItem(parent.m_hWnd, IDC_GAME_PLACEHOLDER), browser.m_hWnd);
    EXPECT_EQ(browser.GetDlgCtrlID(), IDC_GAME_PLACEHOLDER);
    EXPECT_EQ(Str(RectIn(browser.m_hWnd, parent.m_hWnd)), "5,6,205,156");
    EXPECT_EQ(browser.GetStyle() & (WS_CHILD | WS_VISIBLE | 0x4000u),
              WS_CHILD | WS_VISIBLE | 0x4000u);
    EXPECT_EQ(browser.GetWindowText(), "dd");
    EXPECT_EQ(::GetClassLongA(browser.m_hWnd, GCL_STYLE),
              static_cast<DWORD>(CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW));
    // The control's window: the parent's client rectangle, inside the host.
    ASSERT_NE(browser.m_wndBrowser.m_hWnd, nullptr);
    EXPECT_EQ(::GetParent(browser.m_wndBrowser.m_hWnd), browser.m_hWnd);
    EXPECT_EQ(browser.m_wndBrowser.GetDlgCtrlID(), 0xE900);
    EXPECT_EQ(Str(RectIn(browser.m_wndBrowser.m_hWnd, browser.m_hWnd)), Str(client));
    EXPECT_NE(browser.m_pBrowser, nullptr);
    EXPECT_NE(browser.m_pBrowserDispatch, nullptr);
    EXPECT_NE(parent.GetStyle() & WS_CAPTION, 0u);
    // The first page is on its way.
    ASSERT_TRUE(PumpUntil([&] { return !browser.m_navigations.empty(); }));
    EXPECT_EQ(browser.m_navigations[0].url, "about:blank");
}

TEST_F(BrowserHost, OverTheLoginPlaceholderTakesScreenCoordinatesAndDropsTheCaption) {
    RECT screen{100, 120, 100 + 220, 120 + 160};
    RECT expected = screen;
    parent.ScreenToClient(&expected);
    ASSERT_TRUE(
        browser.CreateBrowser("about:blank", 100, 120, 220, 160, &parent, IDC_LOGIN_PLACEHOLDER));
    EXPECT_EQ(::GetDlgItem(parent.m_hWnd, IDC_LOGIN_PLACEHOLDER), browser.m_hWnd);
    EXPECT_EQ(Str(RectIn(browser.m_hWnd, parent.m_hWnd)), Str(expected));
    EXPECT_EQ(parent.GetStyle() & WS_CAPTION, 0u);
    RECT w{};
    parent.GetWindowRect(&w);
    RECT inner{w.left + 20, w.top + 20, (w.right - w.left) - 50, (w.bottom - w.top) - 200};
    EXPECT_EQ(Str(RectIn(browser.m_wndBrowser.m_hWnd, browser.m_hWnd)), Str(inner));
}

TEST_F(BrowserHost, AMissingPlaceholderCreatesNothing) {
    EXPECT_FALSE(browser.CreateBrowser("about:blank", 0, 0, 100, 100, &parent, 4242));
    EXPECT_EQ(browser.m_url, "about:blank");
    EXPECT_EQ(browser.m_hWnd, nullptr);
    EXPECT_EQ(browser.m_pBrowser, nullptr);
    EXPECT_NE(::GetDlgItem(parent.m_hWnd, IDC_GAME_PLACEHOLDER), nullptr);
    EXPECT_FALSE(browser.CreateBrowser("about:blank", 0, 0, 100, 100, nullptr, 1012));
    // Without a browser these do nothing.
    browser.Navigate("about:blank");
    browser.Refresh();
    PumpFor(100);
    EXPECT_TRUE(browser.m_navigations.empty());
}

TEST_F(BrowserHost, ResizingTheHostMakesTheControlFillIt) {
    CreateGameHost();
    browser.MoveWindow(0, 0, 300, 200);
    EXPECT_EQ(Str(RectIn(browser.m_wndBrowser.m_hWnd, browser.m_hWnd)), "0,0,300,200");
    // The control's own window follows its container.
    HWND control = ::GetWindow(browser.m_wndBrowser.m_hWnd, GW_CHILD);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(Str(RectIn(control, browser.m_wndBrowser.m_hWnd)), "0,0,300,200");
}

TEST_F(BrowserHost, TheRealControlsEventsReachTheParent) {
    CreateGameHost();
    browser.Navigate("http://127.0.0.1:9/next.html");
    ASSERT_TRUE(PumpUntil([&] { return browser.m_navigations.size() == 1; }));
    EXPECT_EQ(browser.m_navigations[0].url, "http://127.0.0.1:9/next.html");
    EXPECT_EQ(browser.m_navigations[0].frame, "");
    EXPECT_FALSE(browser.m_navigations[0].hasBody);
    EXPECT_EQ(browser.m_navigations[0].headers, "");
    ASSERT_TRUE(PumpUntil([&] {
        for (const ReceivedNotification& n : parent.m_notifications)
            if (n.code == SimpleBrowser::DownloadComplete)
                return true;
        return false;
    }));
    ASSERT_FALSE(parent.m_notifications.empty());
    EXPECT_EQ(parent.m_notifications[0].code, SimpleBrowser::DownloadBegin);
    for (const ReceivedNotification& n : parent.m_notifications) {
        EXPECT_EQ(n.idFrom, static_cast<UINT_PTR>(IDC_GAME_PLACEHOLDER));
        EXPECT_EQ(n.wParam, static_cast<WPARAM>(IDC_GAME_PLACEHOLDER));
        EXPECT_EQ(n.hwndFrom, browser.m_hWnd);
    }
}

TEST_F(BrowserHost, EveryEventReachesTheParentWithItsCodeAndFields) {
    CreateGameHost();
    UseFakeBrowser(browser, fake);
    VARIANT progress[2];
    ::VariantInit(&progress[0]);
    progress[0].vt = VT_I4;
    progress[0].lVal = 100;
    ::VariantInit(&progress[1]);
    progress[1].vt = VT_I4;
    progress[1].lVal = 25;
    VARIANT none;
    ::VariantInit(&none);
    none.vt = VT_DISPATCH;
    none.pdispVal = nullptr;

    EXPECT_EQ(FireFrameEvent(browser, DISPID_DOCUMENTCOMPLETE, &fake, L"http://h/doc.html"), S_OK);
    EXPECT_EQ(FireEvent(browser, DISPID_DOWNLOADBEGIN, nullptr, 0), S_OK);
    EXPECT_EQ(FireEvent(browser, DISPID_PROGRESSCHANGE, progress, 2), S_OK);
    EXPECT_EQ(FireEvent(browser, DISPID_DOWNLOADCOMPLETE, nullptr, 0), S_OK);
    EXPECT_EQ(FireFrameEvent(browser, DISPID_NAVIGATECOMPLETE2, &fake, L"http://h/nav.html"), S_OK);
    EXPECT_EQ(FireTextEvent(browser, DISPID_STATUSTEXTCHANGE, L"\u5B8C\u6210"), S_OK);
    EXPECT_EQ(FireTextEvent(browser, DISPID_TITLECHANGE, nullptr), S_OK);
    EXPECT_EQ(FireEvent(browser, DISPID_PRINTTEMPLATEINSTANTIATION, &none, 1), S_OK);
    EXPECT_EQ(FireEvent(browser, DISPID_PRINTTEMPLATETEARDOWN, &none, 1), S_OK);

    ASSERT_EQ(parent.Codes(), (std::vector<UINT>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    const auto& n = parent.m_notifications;
    EXPECT_EQ(n[0].url, "http://h/doc.html");
    EXPECT_EQ(n[2].progress, 25);
    EXPECT_EQ(n[2].progress_max, 100);
    EXPECT_EQ(n[4].url, "http://h/nav.html");
    EXPECT_EQ(n[5].text, "\xCD\xEA\xB3\xC9");
    EXPECT_EQ(n[6].text, "");
    for (size_t i = 0; i < n.size(); ++i) {
        EXPECT_EQ(n[i].hwndFrom, browser.m_hWnd);
        EXPECT_EQ(n[i].idFrom, static_cast<UINT_PTR>(IDC_GAME_PLACEHOLDER));
        EXPECT_EQ(n[i].frame, "");
        EXPECT_EQ(n[i].post_data, nullptr);
        EXPECT_EQ(n[i].post_data_size, 0u);
        EXPECT_EQ(n[i].headers, "");
        if (i != 0 && i != 4) {
            EXPECT_EQ(n[i].url, "");
        }
        if (i != 2) {
            EXPECT_EQ(n[i].progress, 0);
            EXPECT_EQ(n[i].progress_max, 0);
        }
        if (i != 5) {
            EXPECT_EQ(n[i].text, "");
        }
    }
}

TEST_F(BrowserHost, EventsOfInnerFramesAreDropped) {
    CreateGameHost();
    UseFakeBrowser(browser, fake);
    fake.m_document = &document;
    CValueObject innerFrame(L"frame");
    for (IDispatch* frame :
         {static_cast<IDispatch*>(&innerFrame), static_cast<IDispatch*>(nullptr)}) {
        CBeforeNavigate2 navigation(frame, L"http://h/inner.html#k=1");
        EXPECT_EQ(navigation.Fire(browser), S_OK);
        EXPECT_EQ(navigation.m_cancel, 0x1234);
        EXPECT_EQ(FireFrameEvent(browser, DISPID_NAVIGATECOMPLETE2, frame, L"http://h/i.html"),
                  S_OK);
        EXPECT_EQ(FireFrameEvent(browser, DISPID_DOCUMENTCOMPLETE, frame, L"http://h/i.html"),
                  S_OK);
    }
    EXPECT_TRUE(browser.m_navigations.empty());
    EXPECT_TRUE(parent.m_notifications.empty());
    EXPECT_EQ(document.m_installs, 0);
    EXPECT_EQ(browser.m_firstDocUrl, "");
    DISPID dispid = 0;
    EXPECT_EQ(DispidOf(External(), L"home", &dispid), E_FAIL);
}

TEST_F(BrowserHost, BeforeNavigate2HandsOverTheRequestBodyAndWritesCancel) {
    CreateGameHost();
    IDispatch* top = browser.m_pBrowserDispatch;
    auto fire = [&](CBeforeNavigate2& navigation) {
        size_t before = browser.m_navigations.size();
        EXPECT_EQ(navigation.Fire(browser), S_OK);
        EXPECT_EQ(browser.m_navigations.size(), before + 1);
        return browser.m_navigations.back();
    };

    CBeforeNavigate2 absent(top, L"http://h/a.html");
    absent.SetHeaders(L"X-Test: 1\r\n");
    absent.SetTarget(L"_self");
    auto a = fire(absent);
    EXPECT_EQ(a.url, "http://h/a.html");
    EXPECT_EQ(a.frame, "_self");
    EXPECT_EQ(a.headers, "X-Test: 1\r\n");
    EXPECT_FALSE(a.hasBody);
    EXPECT_EQ(a.size, 0u);
    EXPECT_EQ(absent.m_cancel, VARIANT_FALSE);

    CBeforeNavigate2 empty(top, L"http://h/e.html");
    empty.SetBody(ByteArray(""));
    auto e = fire(empty);
    EXPECT_EQ(e.size, 0u);
    EXPECT_EQ(e.body, "");

    CBeforeNavigate2 bytes(top, L"http://h/b.html");
    bytes.SetBody(ByteArray(std::string("a=1&b=\0x", 8)));
    auto b = fire(bytes);
    EXPECT_TRUE(b.hasBody);
    EXPECT_EQ(b.size, 8u);
    EXPECT_EQ(b.body, std::string("a=1&b=\0x", 8));

    // An array of other elements: as many bytes as it has elements, from its start.
    VARIANT numbers;
    ::VariantInit(&numbers);
    numbers.vt = VT_ARRAY | VT_I4;
    numbers.parray = ::SafeArrayCreateVector(VT_I4, 0, 3);
    LONG* values = nullptr;
    ::SafeArrayAccessData(numbers.parray, reinterpret_cast<void**>(&values));
    values[0] = 0x04030201;
    values[1] = 5;
    values[2] = 6;
    ::SafeArrayUnaccessData(numbers.parray);
    CBeforeNavigate2 other(top, L"http://h/o.html");
    other.SetBody(numbers);
    auto o = fire(other);
    EXPECT_EQ(o.size, 3u);
    EXPECT_EQ(o.body, "\x01\x02\x03");

    // Something that is not an array at all is no body.
    VARIANT text;
    ::VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = ::SysAllocString(L"not an array");
    CBeforeNavigate2 notArray(top, L"http://h/t.html");
    notArray.SetBody(text);
    EXPECT_FALSE(fire(notArray).hasBody);

    // PostData not laid out as a reference to a VARIANT: no body either.
    CBeforeNavigate2 direct(top, L"http://h/d.html");
    VARIANT& postData = direct.PostData();
    postData = ByteArray("abc");
    EXPECT_FALSE(fire(direct).hasBody);
    ::VariantClear(&postData);

    browser.m_cancel = true;
    CBeforeNavigate2 cancelled(top, L"http://h/c.html");
    fire(cancelled);
    EXPECT_EQ(cancelled.m_cancel, VARIANT_TRUE);
    EXPECT_TRUE(parent.m_notifications.empty()); // BeforeNavigate2 notifies nothing
}

TEST_F(BrowserHost, NavigateComplete2InstallsTheHandlerThenRegistersThenNotifies) {
    CreateGameHost();
    UseFakeBrowser(browser, fake);
    fake.m_document = &document;
    bool checked = false;
    parent.m_onNotify = [&](const ReceivedNotification& n) {
        if (n.code != SimpleBrowser::NavigateComplete2)
            return;
        EXPECT_EQ(document.m_handler, browser.m_pUIHandler);
        DISPID dispid = 0;
        EXPECT_EQ(DispidOf(External(), L"home", &dispid), S_OK);
        EXPECT_EQ(dispid, 1000);
        EXPECT_EQ(browser.m_pUIHandler->m_pExternal->m_context, &browser);
        checked = true;
    };
    EXPECT_EQ(FireFrameEvent(browser, DISPID_NAVIGATECOMPLETE2, &fake, L"http://h/p.html"), S_OK);
    EXPECT_TRUE(checked);
    ASSERT_EQ(parent.Codes(), std::vector<UINT>{5});
    EXPECT_EQ(parent.m_notifications[0].url, "http://h/p.html");
    // Every top-level navigation installs it into its new document.
    EXPECT_EQ(FireFrameEvent(browser, DISPID_NAVIGATECOMPLETE2, &fake, L"http://h/q.html"), S_OK);
    EXPECT_EQ(document.m_installs, 2);
    EXPECT_EQ(fake.m_refreshes, 0);
}

TEST_F(BrowserHost, WithoutADocumentTheCommandsAreStillRegistered) {
    CreateGameHost();
    // Wine's control has no document to install the handler into.
    EXPECT_EQ(FireFrameEvent(browser, DISPID_NAVIGATECOMPLETE2, browser.m_pBrowserDispatch,
                             L"about:blank"),
              S_OK);
    DISPID dispid = 0;
    EXPECT_EQ(DispidOf(External(), L"set_window", &dispid), S_OK);
    EXPECT_EQ(dispid, 1007);
    EXPECT_EQ(parent.Codes(), std::vector<UINT>{5});
}

TEST_F(BrowserHost, EveryLaterVisitIsReloadedOnceAndTheFirstDocumentIsKept) {
    CreateGameHost();
    UseFakeBrowser(browser, fake);
    // Completed documents, each after a top-level navigation (a visit) or not
    // (the completion of a reload), and the reloads asked for so far.
    const struct {
        const wchar_t* url;
        bool navigated;
        int reloads;
    } completions[] = {
        {L"http://h/first.html", true, 0}, // kept
        {L"http://h/first.html", true, 1},
        {L"http://h/first.html", true, 2},  // a visit, though the reload's completion was awaited
        {L"http://h/first.html", false, 2}, // the reload's own completion
        {L"http://h/second.html", true, 3},
        {L"http://h/third.html", true, 4}, // the engine never reported the reload
        {L"http://h/third.html", false, 4},
    };
    for (const auto& c : completions) {
        if (c.navigated) {
            EXPECT_EQ(FireFrameEvent(browser, DISPID_NAVIGATECOMPLETE2, &fake, c.url), S_OK);
        }
        EXPECT_EQ(FireFrameEvent(browser, DISPID_DOCUMENTCOMPLETE, &fake, c.url), S_OK);
        EXPECT_EQ(fake.m_refreshes, c.reloads) << &c - completions;
    }
    EXPECT_EQ(browser.m_firstDocUrl, "http://h/first.html");
}

TEST_F(BrowserHost, DestroyingTheHostReleasesTheBrowser) {
    CreateGameHost();
    IUnknown* control = browser.m_wndBrowser.GetControlUnknown();
    ASSERT_NE(control, nullptr);
    HWND container = browser.m_wndBrowser.m_hWnd;
    browser.DestroyWindow();
    EXPECT_EQ(browser.m_pBrowser, nullptr);
    EXPECT_EQ(browser.m_pBrowserDispatch, nullptr);
    EXPECT_FALSE(::IsWindow(container));
    EXPECT_EQ(browser.m_wndBrowser.m_hWnd, nullptr);
    EXPECT_EQ(browser.m_wndBrowser.GetControlUnknown(), nullptr);
}

TEST_F(BrowserHost, PreTranslateMessageLeavesMessagesToTheControl) {
    CreateGameHost();
    MSG msg{browser.m_wndBrowser.m_hWnd, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
    EXPECT_FALSE(browser.PreTranslateMessage(&msg));
}

TEST_F(BrowserHost, WithoutAParentNothingIsSentAndNothingIsHandedOver) {
    SimpleBrowser lone;
    lone.OnDownloadBegin();
    lone.OnDocumentComplete("http://h/x.html");
    lone.OnNavigateComplete2("http://h/x.html");
    lone.OnStatusTextChange("s");
    // Refused before the address is even looked at: nothing is armed.
    EXPECT_FALSE(lone.OnBeforeNavigate2("C:\\game\\web\\main.html", "", nullptr, 0, ""));
    EXPECT_FALSE(SimpleBrowser::s_launchArmed);
    EXPECT_TRUE(parent.m_notifications.empty());
}

TEST_F(BrowserHost, ScriptCallsAfterTheHostIsGoneDoNothing) {
    auto host = std::make_unique<SimpleBrowser>();
    ASSERT_TRUE(host->CreateBrowser("about:blank", 0, 0, 100, 100, &parent, IDC_GAME_PLACEHOLDER));
    ASSERT_EQ(
        FireFrameEvent(*host, DISPID_NAVIGATECOMPLETE2, host->m_pBrowserDispatch, L"about:blank"),
        S_OK);
    // The page's document keeps the handler, and with it window.external.
    CDocHostUIHandler* handler = host->m_pUIHandler;
    handler->AddRef();
    host.reset();
    EXPECT_EQ(handler->m_pExternal->m_context, nullptr);
    CCallArgs none;
    EXPECT_EQ(CallByName(handler->m_pExternal, L"home", none), S_OK);
    CCallArgs title;
    title.Text(L"x");
    EXPECT_EQ(CallByName(handler->m_pExternal, L"set_name", title), S_OK);
    handler->Release();
}

} // namespace

// A top-level page whose server cannot be reached gives way to the offline
// page, told the address, the reason and the window's own values; the
// address is tried again by itself until another page completes. A page's
// own answer (404), a cancelled navigation and an inner frame's failure are
// left to the browser.
TEST_F(BrowserHost, AnUnreachableServerShowsTheOfflinePageUntilAPageCompletes) {
    CreateGameHost();
    UseFakeBrowser(browser, fake);
    const std::wstring failed = L"http://127.0.0.1:9/\u6E38\u620F.html?a=1&b=2";
    EXPECT_EQ(FireNavigateError(browser, &fake, failed, 503), VARIANT_FALSE);
    PumpFor(100);
    EXPECT_TRUE(fake.m_navigations.empty()) << "without an offline page";

    browser.SetOfflinePage("file:///C:/skin/data/offline.html", "&lang=zh&colour=E8EEF6");
    const std::wstring offline =
        L"file:///C:/skin/data/offline.html?url=http%3A%2F%2F127.0.0.1%3A9%2F"
        L"%E6%B8%B8%E6%88%8F.html%3Fa%3D1%26b%3D2&reason=";
    CValueObject innerFrame(L"frame");
    const struct {
        IDispatch* frame;
        long status;
        const wchar_t* reason; // null: the browser's own page
    } cases[] = {{&fake, 404, nullptr},
                 {&fake, static_cast<long>(0x80004004), nullptr},
                 {&innerFrame, 503, nullptr},
                 {&fake, 503, L"http-503&status=503"},
                 {&fake, static_cast<long>(0x800C0005), L"not-found&status=-2146697211"},
                 {&fake, static_cast<long>(0x800C0004), L"refused&status=-2146697212"}};
    for (const auto& c : cases) {
        fake.m_navigations.clear();
        EXPECT_EQ(FireNavigateError(browser, c.frame, failed, c.status),
                  c.reason ? VARIANT_TRUE : VARIANT_FALSE)
            << c.status;
        PumpFor(200);
        if (c.reason)
            EXPECT_EQ(fake.m_navigations,
                      std::vector<std::wstring>{offline + c.reason + L"&lang=zh&colour=E8EEF6"});
        else
            EXPECT_TRUE(fake.m_navigations.empty()) << c.status;
    }
    // After a success the pauses start again from the shortest; the offline
    // page's own completion keeps the tries going.
    FireFrameEvent(browser, DISPID_DOCUMENTCOMPLETE, &fake, L"http://127.0.0.1/other.html");
    EXPECT_EQ(FireNavigateError(browser, &fake, failed, 503), VARIANT_TRUE);
    PumpFor(200);
    FireFrameEvent(browser, DISPID_DOCUMENTCOMPLETE, &fake, offline + L"http-503");
    EXPECT_TRUE(browser.IsDocumentTrusted()) << "the client's own page may call the commands";
    fake.m_navigations.clear();
    ASSERT_TRUE(PumpUntil([&] { return !fake.m_navigations.empty(); }, 30000));
    EXPECT_EQ(fake.m_navigations.front(), failed);
    // Another page completes: no more tries.
    FireFrameEvent(browser, DISPID_DOCUMENTCOMPLETE, &fake, L"http://127.0.0.1/other.html");
    EXPECT_EQ(FireNavigateError(browser, &fake, failed, 503), VARIANT_TRUE);
    FireFrameEvent(browser, DISPID_DOCUMENTCOMPLETE, &fake, L"http://127.0.0.1/other.html");
    PumpFor(300);
    fake.m_navigations.clear();
    PumpFor(6000);
    EXPECT_TRUE(fake.m_navigations.empty());
}
