// The login window driven by its page's commands, through the script object
// a page reaches as window.external.

#include "ConfigStore.h"
#include "DisplayDpi.h"
#include "DocHostUIHandler.h"
#include "HandleCounts.h"
#include "MainDlg.h"
#include "PngFile.h"
#include "ScriptCommands.h"
#include "ScriptPage.h"
#include "TempDir.h"
#include "TestDpi.h"
#include "TranslucentDialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// Runs one step a tick of a thread timer while the login window's modal loop
// runs, then closes the backdrop.
class CSteps {
public:
    static void Run(CMainDlg& login, std::vector<std::function<void()>> steps) {
        s_login = &login;
        s_steps = std::move(steps);
        s_next = 0;
        s_timer = ::SetTimer(nullptr, 0, 300, &CSteps::Tick);
        login.DoModal();
        ::KillTimer(nullptr, s_timer);
    }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        if (s_busy)
            return;
        s_busy = true;
        if (s_next < s_steps.size())
            s_steps[s_next++]();
        else if (s_login->Backdrop()->m_hWnd)
            s_login->Backdrop()->SendMessage(WM_CLOSE);
        s_busy = false;
    }

    static inline CMainDlg* s_login = nullptr;
    static inline std::vector<std::function<void()>> s_steps;
    static inline size_t s_next = 0;
    static inline UINT_PTR s_timer = 0;
    static inline bool s_busy = false;
};

class LoginWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        TempDir dir;
        dir.Write("config.xml", "<config><login_url>about:blank</login_url>"
                                "<login_browserctrl_posx>10</login_browserctrl_posx>"
                                "<login_browserctrl_posy>40</login_browserctrl_posy>"
                                "<login_browserctrl_width>300</login_browserctrl_width>"
                                "<login_browserctrl_height>200</login_browserctrl_height>"
                                "</config>");
        ScopedCurrentDirectory cwd(dir.Path());
        CConfigStore::Instance().Load();
    }
};

} // namespace

TEST_F(LoginWindowTest, PageCommandsMinimiseAndRestoreTheBackdropWithTheContent) {
    CMainDlg login;
    std::unique_ptr<CScriptPage> page;
    bool minimised = false, contentHiddenWhenMinimised = false;
    bool restored = false, contentShownWhenRestored = false;
    HRESULT closeResult = E_FAIL, showResult = E_FAIL;
    HWND backdrop = nullptr;
    bool hostCreated = false;
    CSteps::Run(login, {
                           [&] {
                               // What the host does when the page's navigation completes.
                               // login_url, trusted as the operator's page.
                               login.Browser().m_hasDocument = true;
                               login.Browser().m_documentUrl = "about:blank";
                               RegisterScriptCommands(&login.Browser());
                               IDispatch* external = nullptr;
                               login.Browser().m_pUIHandler->GetExternal(&external);
                               page = std::make_unique<CScriptPage>(external);
                               if (external)
                                   external->Release();
                               backdrop = login.Backdrop()->m_hWnd;
                               hostCreated = login.Browser().m_hWnd != nullptr;
                               closeResult = page->Run(L"external.close_login();");
                           },
                           [&] {
                               minimised = ::IsIconic(backdrop) != FALSE;
                               contentHiddenWhenMinimised = !login.IsWindowVisible();
                               showResult = page->Run(L"external.show_login();");
                           },
                           [&] {
                               restored = !::IsIconic(backdrop) && ::IsWindowVisible(backdrop);
                               contentShownWhenRestored = login.IsWindowVisible() != FALSE;
                               page.reset();
                           },
                       });
    EXPECT_TRUE(hostCreated);
    EXPECT_EQ(closeResult, S_OK);
    EXPECT_EQ(showResult, S_OK);
    EXPECT_TRUE(minimised);
    EXPECT_TRUE(contentHiddenWhenMinimised);
    EXPECT_TRUE(restored);
    EXPECT_TRUE(contentShownWhenRestored);
}

TEST(LoginWindowDpi, TheWindowAndEveryControlScaleWithTheDpiAndAgainOnAMoveToAnotherDpi) {
    ASSERT_EQ(SystemDpi(), PrefixDpi()) << "the test prefix's display is not at the DPI asked for";
    TempDir dir;
    dir.Write("data\\bg.png", "");
    ASSERT_TRUE(
        WritePng(dir.PathOf("data\\bg.png"), 320, 240, [](int, int) { return 0xFF808080u; }));
    std::string config = "<config><login_url>about:blank</login_url><login_bg>bg.png</login_bg>";
    auto add = [&config](const std::string& key, int value) {
        config += "<" + key + ">" + std::to_string(value) + "</" + key + ">";
    };
    const struct {
        int id;
        const char* stem;
        RECT place; // x, y, width, height
    } controls[] = {{1001, "login_browserctrl", {10, 40, 300, 160}},
                    {1002, "login_minibtn", {250, 8, 24, 18}},
                    {1000, "login_closebtn", {280, 8, 30, 18}}};
    for (const auto& control : controls) {
        const std::string stem = control.stem;
        add(stem + "_posx", control.place.left);
        add(stem + "_posy", control.place.top);
        add(stem + "_width", control.place.right);
        add(stem + "_height", control.place.bottom);
    }
    dir.Write("config.xml", config + "</config>");
    ASSERT_TRUE(::CopyFileA(WinePath(CLIENT_SOURCE_DIR "/demo/data/main.ico").c_str(),
                            dir.Write("data\\main.ico", "").c_str(), FALSE));
    ScopedCurrentDirectory cwd(dir.Path());
    CConfigStore::Instance().Load();
    CConfigStore::Instance().SetSkinFolder(dir.Path());

    CMainDlg login;
    // Where the page was made inside its host; the host moves, the page with it.
    RECT pageFirst{};
    auto pagePlace = [&] {
        RECT rect{};
        ::GetWindowRect(login.Browser().m_wndBrowser.m_hWnd, &rect);
        ::MapWindowPoints(nullptr, login.Browser().m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    auto iconSize = [&](WPARAM kind) {
        return IconSize(reinterpret_cast<HICON>(login.Backdrop()->SendMessage(WM_GETICON, kind)));
    };
    auto expectLaidOut = [&](int dpi) {
        auto scaled = [dpi](int length) { return ScaleToDpi(length, dpi); };
        RECT backdrop{}, content{};
        ::GetWindowRect(login.Backdrop()->m_hWnd, &backdrop);
        ::GetWindowRect(login.m_hWnd, &content);
        EXPECT_EQ(backdrop.right - backdrop.left, scaled(320)) << dpi;
        EXPECT_EQ(backdrop.bottom - backdrop.top, scaled(240)) << dpi;
        EXPECT_TRUE(::EqualRect(&backdrop, &content)) << dpi;
        for (const auto& control : controls) {
            RECT rect{};
            ::GetWindowRect(::GetDlgItem(login.m_hWnd, control.id), &rect);
            ::MapWindowPoints(nullptr, login.m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
            const RECT& place = control.place;
            const RECT expected{scaled(place.left), scaled(place.top),
                                scaled(place.left) + scaled(place.right),
                                scaled(place.top) + scaled(place.bottom)};
            EXPECT_TRUE(::EqualRect(&rect, &expected)) << control.stem << " at " << dpi;
        }
        const RECT page = pagePlace();
        const RECT scaledPage{ScaleBy(pageFirst.left, dpi, PrefixDpi()),
                              ScaleBy(pageFirst.top, dpi, PrefixDpi()),
                              ScaleBy(pageFirst.right, dpi, PrefixDpi()),
                              ScaleBy(pageFirst.bottom, dpi, PrefixDpi())};
        EXPECT_TRUE(::EqualRect(&page, &scaledPage)) << "page at " << dpi;
        // The window's and the task bar's icons, at the system's sizes.
        EXPECT_EQ(iconSize(ICON_BIG).cx, ScaleToDpi(32, dpi)) << dpi;
        EXPECT_EQ(iconSize(ICON_SMALL).cx, ScaleToDpi(16, dpi)) << dpi;
        return backdrop;
    };
    // The move to another monitor: the window stays where the system suggests.
    auto moveTo = [&](int dpi) {
        RECT suggested{70, 50, 500, 400};
        login.Backdrop()->SendMessage(WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                      reinterpret_cast<LPARAM>(&suggested));
        const RECT moved = expectLaidOut(dpi);
        EXPECT_EQ(moved.left, 70);
        EXPECT_EQ(moved.top, 50);
    };
    CSteps::Run(login, {[&] {
                            pageFirst = pagePlace();
                            // 20 pixels in from where the window was made.
                            EXPECT_GE(pageFirst.left, ScaleToDpi(20, PrefixDpi()));
                            expectLaidOut(PrefixDpi());
                        },
                        [&] { moveTo(192); }, [&] { moveTo(120); }, [&] { moveTo(PrefixDpi()); }});
}
