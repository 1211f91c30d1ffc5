// Message maps: lookup through the class chain, crackers, default processing,
// reflection, and binding of the object before the window's first message.

#include "Dialog.h"
#include "TestDialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr UINT WM_BASE_ONLY = WM_APP + 10;
constexpr UINT WM_OVERRIDDEN = WM_APP + 11;
constexpr UINT WM_THROWS = WM_APP + 12;
constexpr UINT WM_SENDS_THROWS = WM_APP + 13;

class CBaseWindow : public CWnd {
public:
    std::vector<std::string> log;

    LRESULT OnBaseOnly(WPARAM w, LPARAM) {
        log.push_back("base-only " + std::to_string(w));
        return 100;
    }
    LRESULT OnOverriddenInBase(WPARAM, LPARAM) {
        log.push_back("base overridden");
        return 1;
    }
    static const MessageMap* ThisMessageMap() {
        static const MessageMapEntry entries[] = {
            OnMessage<WM_BASE_ONLY, &CBaseWindow::OnBaseOnly>(),
            OnMessage<WM_OVERRIDDEN, &CBaseWindow::OnOverriddenInBase>(),
        };
        static const MessageMap map{CWnd::ThisMessageMap(), entries};
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }
};

class CDerivedWindow : public CBaseWindow {
public:
    bool passTextOn = true;
    std::vector<std::string> sizes;
    std::vector<POINT> clicks;

    LRESULT OnNcCreate(WPARAM, LPARAM) {
        log.push_back(m_hWnd ? "nccreate bound" : "nccreate unbound");
        return Default();
    }
    LRESULT OnCreate(WPARAM, LPARAM) {
        log.push_back(m_hWnd ? "create bound" : "create unbound");
        return Default();
    }
    LRESULT OnOverridden(WPARAM, LPARAM) {
        log.push_back("derived overridden");
        return 2;
    }
    LRESULT OnSetText(WPARAM, LPARAM) {
        log.push_back("settext");
        return passTextOn ? Default() : TRUE;
    }
    void OnSize(UINT type, int cx, int cy) {
        sizes.push_back(std::to_string(type) + ":" + std::to_string(cx) + "x" + std::to_string(cy));
    }
    void OnLButtonDown(UINT, POINT point) { clicks.push_back(point); }
    LRESULT OnThrows(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    // What the current message is once a nested message's handler has thrown.
    MSG afterNestedThrow{};
    LRESULT OnSendsThrows(WPARAM, LPARAM) {
        SendMessage(WM_THROWS, 5, 6);
        afterNestedThrow = *GetCurrentMessage();
        return 0;
    }
    void OnCommandRange() {
        log.push_back("command " + std::to_string(LOWORD(GetCurrentMessage()->wParam)));
    }
    void OnNotifyTest(NMHDR* header, LRESULT* result) {
        log.push_back("notify " + std::to_string(header->code));
        *result = 77;
    }

    static const MessageMap* ThisMessageMap() {
        static const MessageMapEntry entries[] = {
            OnMessage<WM_NCCREATE, &CDerivedWindow::OnNcCreate>(),
            OnMessage<WM_CREATE, &CDerivedWindow::OnCreate>(),
            OnMessage<WM_OVERRIDDEN, &CDerivedWindow::OnOverridden>(),
            OnMessage<WM_SETTEXT, &CDerivedWindow::OnSetText>(),
            OnMessage<WM_SIZE, &CDerivedWindow::OnSize>(),
            OnMessage<WM_LBUTTONDOWN, &CDerivedWindow::OnLButtonDown>(),
            OnMessage<WM_THROWS, &CDerivedWindow::OnThrows>(),
            OnMessage<WM_SENDS_THROWS, &CDerivedWindow::OnSendsThrows>(),
            OnCommand<BN_CLICKED, 2000, &CDerivedWindow::OnCommandRange, 2009>(),
            OnNotify<5, 3000, &CDerivedWindow::OnNotifyTest>(),
        };
        static const MessageMap map{CBaseWindow::ThisMessageMap(), entries};
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }
};

bool CreateTopLevel(CWnd& wnd) {
    RECT rect{50, 50, 250, 200};
    return wnd.CreateEx(0, AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW), "test",
                        WS_OVERLAPPEDWINDOW, rect, nullptr, 0);
}

// An owner-drawn button that draws itself when its parent reflects the request.
class COwnerDrawButton : public CWnd {
public:
    int draws = 0;
    LRESULT OnDrawItemReflect(WPARAM, LPARAM) {
        ++draws;
        return TRUE;
    }
    static const MessageMap* ThisMessageMap() {
        static const MessageMapEntry entries[] = {
            OnReflected<WM_DRAWITEM, &COwnerDrawButton::OnDrawItemReflect>(),
        };
        static const MessageMap map{CWnd::ThisMessageMap(), entries};
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }
};

class CReflectingDialog : public CDialog {
public:
    CReflectingDialog() : CDialog(IDD_TEST_PLAIN) {}
    COwnerDrawButton button;
    bool bindButton = true;
    int parentDraws = 0;
    std::vector<UINT> colourKinds;
    std::vector<HWND> colourControls;

    void DoDataExchange(CDataExchange* pDX) override {
        if (bindButton)
            DDX_Control(pDX, IDC_TEST_OWNERDRAW, button);
    }
    LRESULT OnDrawItem(WPARAM, LPARAM) {
        ++parentDraws;
        return TRUE;
    }
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind) {
        colourKinds.push_back(kind);
        colourControls.push_back(control->m_hWnd);
        EXPECT_NE(dc->m_hDC, nullptr);
        return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    }
    static const MessageMap* ThisMessageMap() {
        static const MessageMapEntry entries[] = {
            OnMessage<WM_DRAWITEM, &CReflectingDialog::OnDrawItem>(),
            OnMessage<WM_CTLCOLOR, &CReflectingDialog::OnCtlColor>(),
        };
        static const MessageMap map{CDialog::ThisMessageMap(), entries};
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }
};

void SendDrawItem(CWnd& dialog) {
    HWND item = ::GetDlgItem(dialog.m_hWnd, IDC_TEST_OWNERDRAW);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_BUTTON;
    draw.CtlID = IDC_TEST_OWNERDRAW;
    draw.hwndItem = item;
    dialog.SendMessage(WM_DRAWITEM, IDC_TEST_OWNERDRAW, reinterpret_cast<LPARAM>(&draw));
}

} // namespace

TEST(MessageMap, ObjectIsBoundBeforeTheWindowsFirstMessages) {
    CDerivedWindow wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    ASSERT_FALSE(wnd.log.empty());
    EXPECT_EQ(wnd.log.front(), "nccreate bound");
    EXPECT_NE(std::find(wnd.log.begin(), wnd.log.end(), "create bound"), wnd.log.end());
    EXPECT_EQ(wnd.GetWindowText(), "test");
    wnd.DestroyWindow();
}

TEST(MessageMap, EntriesAreFoundThroughTheClassChainDerivedFirst) {
    CDerivedWindow wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    wnd.log.clear();
    EXPECT_EQ(wnd.SendMessage(WM_BASE_ONLY, 9), 100);
    EXPECT_EQ(wnd.SendMessage(WM_OVERRIDDEN), 2);
    EXPECT_EQ(wnd.log, (std::vector<std::string>{"base-only 9", "derived overridden"}));
    wnd.DestroyWindow();
}

TEST(MessageMap, UnlistedMessagesAndDefaultCallsReachDefaultProcessing) {
    CDerivedWindow wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    wnd.SetWindowText("passed on");
    EXPECT_EQ(wnd.GetWindowText(), "passed on");
    wnd.passTextOn = false;
    wnd.SetWindowText("swallowed");
    EXPECT_EQ(wnd.GetWindowText(), "passed on");
    // WM_GETTEXTLENGTH has no entry anywhere: the system answers it.
    EXPECT_EQ(wnd.SendMessage(WM_GETTEXTLENGTH), 9);
    wnd.DestroyWindow();
}

TEST(MessageMap, UnlistedMessagesOfASubclassedControlReachItsOwnProcedure) {
    CReflectingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_PLAIN));
    CWnd edit;
    ASSERT_TRUE(edit.SubclassDlgItem(IDC_TEST_EDIT, &dialog));
    edit.SetWindowText("typed");
    EXPECT_EQ(edit.SendMessage(EM_LINELENGTH, 0), 5);
    dialog.DestroyWindow();
    EXPECT_EQ(edit.m_hWnd, nullptr);
}

TEST(MessageMap, CrackersPassTypedArguments) {
    CDerivedWindow wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    wnd.sizes.clear();
    wnd.SendMessage(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(300, 200));
    wnd.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, 7));
    EXPECT_EQ(wnd.sizes, (std::vector<std::string>{"2:300x200"}));
    ASSERT_EQ(wnd.clicks.size(), 1u);
    EXPECT_EQ(wnd.clicks[0].x, -5);
    EXPECT_EQ(wnd.clicks[0].y, 7);
    wnd.DestroyWindow();
}

TEST(MessageMap, CommandAndNotifyEntriesMatchCodeAndIdRange) {
    CDerivedWindow wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    wnd.log.clear();
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(2003, BN_CLICKED));
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(2010, BN_CLICKED)); // outside the range
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(2003, BN_DBLCLK));  // another code
    NMHDR header{wnd.m_hWnd, 3000, 5};
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 3000, reinterpret_cast<LPARAM>(&header)), 77);
    NMHDR other{wnd.m_hWnd, 3001, 5};
    EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, 3001, reinterpret_cast<LPARAM>(&other)), 0);
    EXPECT_EQ(wnd.log, (std::vector<std::string>{"command 2003", "notify 5"}));
    wnd.DestroyWindow();
}

TEST(MessageMap, ExceptionInAHandlerStopsAtTheWindowProcedure) {
    CDerivedWindow wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    EXPECT_EQ(wnd.SendMessage(WM_THROWS), 0);
    EXPECT_EQ(wnd.SendMessage(WM_OVERRIDDEN), 2);
    wnd.DestroyWindow();
}

TEST(MessageMap, ExceptionInANestedHandlerLeavesTheOuterHandlersCurrentMessage) {
    CDerivedWindow wnd;
    ASSERT_TRUE(CreateTopLevel(wnd));
    wnd.SendMessage(WM_SENDS_THROWS, 1, 2);
    EXPECT_EQ(wnd.afterNestedThrow.hwnd, wnd.m_hWnd);
    EXPECT_EQ(wnd.afterNestedThrow.message, WM_SENDS_THROWS);
    EXPECT_EQ(wnd.afterNestedThrow.wParam, 1u);
    EXPECT_EQ(wnd.afterNestedThrow.lParam, 2);
    wnd.DestroyWindow();
}

TEST(MessageMap, OwnerDrawIsReflectedToTheControlsObject) {
    CReflectingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_PLAIN));
    dialog.parentDraws = 0;
    dialog.button.draws = 0;
    SendDrawItem(dialog);
    EXPECT_EQ(dialog.button.draws, 1);
    EXPECT_EQ(dialog.parentDraws, 0);
    dialog.DestroyWindow();

    CReflectingDialog unbound;
    unbound.bindButton = false;
    ASSERT_TRUE(unbound.Create(IDD_TEST_PLAIN));
    unbound.parentDraws = 0;
    SendDrawItem(unbound);
    EXPECT_EQ(unbound.parentDraws, 1);
    unbound.DestroyWindow();
}

TEST(MessageMap, EveryControlColourMessageReachesTheColourEntry) {
    CReflectingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_PLAIN));
    HDC dc = ::GetDC(dialog.m_hWnd);
    dialog.colourKinds.clear();
    LRESULT brush = dialog.SendMessage(WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(dialog.m_hWnd));
    dialog.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog.m_hWnd, IDC_TEST_EDIT)));
    ::ReleaseDC(dialog.m_hWnd, dc);
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(dialog.colourKinds, (std::vector<UINT>{CTLCOLOR_DLG, CTLCOLOR_STATIC}));
    EXPECT_EQ(dialog.colourControls.back(), ::GetDlgItem(dialog.m_hWnd, IDC_TEST_EDIT));
    dialog.DestroyWindow();
}
