// The dialog class and its modal loop, driven through real windows.

#include "Dialog.h"
#include "TestDialogs.h"
#include "UiPump.h"
#include "WinApp.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr UINT WM_TEST_STEP = WM_APP + 1;

// A dialog whose reactions the test supplies.
class CTestDialog : public CDialog {
public:
    explicit CTestDialog(UINT templateId = IDD_TEST_PLAIN, CWnd* parent = nullptr)
        : CDialog(templateId, parent) {}

    std::function<void(CTestDialog&)> onInit;
    std::function<void(CTestDialog&)> onStep;
    std::function<bool(MSG*)> onPreTranslate;
    std::vector<std::string> events;
    bool postNcDestroyCalled = false;

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        events.push_back("init");
        if (onInit)
            onInit(*this);
        return TRUE;
    }
    void OnOK() override {
        events.push_back("ok");
        CDialog::OnOK();
    }
    void OnCancel() override {
        events.push_back("cancel");
        CDialog::OnCancel();
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (onPreTranslate && onPreTranslate(msg))
            return TRUE;
        return CDialog::PreTranslateMessage(msg);
    }
    void OnStep() {
        if (onStep)
            onStep(*this);
    }
    void OnButton() { events.push_back("button"); }

    static const MessageMap* ThisMessageMap() {
        static const MessageMapEntry entries[] = {
            OnMessage<WM_TEST_STEP, &CTestDialog::OnStep>(),
            OnMessage<WM_TIMER, &CTestDialog::OnStep>(),
            OnCommand<BN_CLICKED, IDC_TEST_BUTTON, &CTestDialog::OnButton>(),
        };
        static const MessageMap map{CDialog::ThisMessageMap(), entries};
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

protected:
    void PostNcDestroy() override { postNcDestroyCalled = true; }
};

// An edit control with an object of its own, recording what it is offered.
class CRecordingEdit : public CWnd {
public:
    std::vector<WPARAM> offeredChars;
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->message == WM_CHAR)
            offeredChars.push_back(msg->wParam);
        return msg->message == WM_CHAR && msg->wParam == 'q';
    }
};

void PostChars(HWND target, const char* text) {
    for (const char* p = text; *p; ++p)
        ::PostMessageA(target, WM_CHAR, static_cast<BYTE>(*p), 1);
}

void PostKey(HWND target, WPARAM key) {
    ::PostMessageA(target, WM_KEYDOWN, key, 1);
    ::PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

std::string TextOf(HWND hWnd) {
    char text[256] = {};
    ::GetWindowTextA(hWnd, text, sizeof(text));
    return text;
}

// Removes a pending WM_QUIT, returning its code, or -1 when none is pending.
int TakePendingQuit() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message == WM_QUIT)
            return static_cast<int>(msg.wParam);
    return -1;
}

} // namespace

TEST(ModalLoop, NestedLoopRunsInsideOuterAndEachReturnsItsOwnResult) {
    CTestDialog outer;
    INT_PTR innerResult = 0;
    bool outerWasDisabledDuringInner = false;
    outer.onInit = [](CTestDialog& d) { d.PostMessage(WM_TEST_STEP); };
    outer.onStep = [&](CTestDialog& d) {
        CTestDialog inner(IDD_TEST_PLAIN, &d);
        inner.onInit = [&](CTestDialog& i) {
            outerWasDisabledDuringInner = !::IsWindowEnabled(d.m_hWnd);
            i.PostMessage(WM_TEST_STEP);
        };
        inner.onStep = [](CTestDialog& i) { i.EndDialog(7); };
        innerResult = inner.DoModal();
        d.events.push_back("inner returned");
        d.EndDialog(5);
    };

    EXPECT_EQ(outer.DoModal(), 5);
    EXPECT_EQ(innerResult, 7);
    EXPECT_TRUE(outerWasDisabledDuringInner);
    EXPECT_EQ(outer.events, (std::vector<std::string>{"init", "inner returned"}));
    EXPECT_EQ(outer.m_hWnd, nullptr);
    EXPECT_TRUE(outer.postNcDestroyCalled);
    EXPECT_EQ(TakePendingQuit(), -1);
}

TEST(ModalLoop, DestroyingTheMainWindowEndsEveryLoopAndClearsIt) {
    CWinApp app;
    CTestDialog outer;
    INT_PTR innerResult = 0;
    app.m_pMainWnd = &outer;
    outer.onInit = [](CTestDialog& d) { d.PostMessage(WM_TEST_STEP); };
    outer.onStep = [&](CTestDialog& d) {
        CTestDialog inner;
        inner.onInit = [&](CTestDialog& i) { i.PostMessage(WM_TEST_STEP); };
        inner.onStep = [&](CTestDialog&) { d.DestroyWindow(); };
        innerResult = inner.DoModal();
    };

    EXPECT_EQ(outer.DoModal(), -1);
    EXPECT_EQ(innerResult, -1);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    // The quit message is handed on to whatever loop runs outside.
    EXPECT_EQ(TakePendingQuit(), 0);
    EXPECT_EQ(AfxGetQuitCode(), 0);
}

TEST(ModalLoop, QuitMessageEndsTheLoopAndIsPostedAgain) {
    CTestDialog dialog;
    dialog.onInit = [](CTestDialog&) { ::PostQuitMessage(3); };
    EXPECT_EQ(dialog.DoModal(), -1);
    EXPECT_EQ(TakePendingQuit(), 3);
}

TEST(ModalLoop, HiddenTemplateIsShownOnceTheQueueRunsDry) {
    CTestDialog dialog(IDD_TEST_HIDDEN);
    bool visibleAtInit = true;
    bool visibleLater = false;
    dialog.onInit = [&](CTestDialog& d) {
        visibleAtInit = d.IsWindowVisible();
        // A timer fires only once the queue is empty.
        ::SetTimer(d.m_hWnd, 1, 20, nullptr);
    };
    dialog.onStep = [&](CTestDialog& d) {
        ::KillTimer(d.m_hWnd, 1);
        visibleLater = d.IsWindowVisible();
        d.EndDialog(IDOK);
    };
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(visibleAtInit);
    EXPECT_TRUE(visibleLater);
}

TEST(ModalLoop, EnterRunsOnOKAndEscapeRunsOnCancel) {
    CTestDialog okDialog;
    okDialog.onInit = [](CTestDialog& d) {
        PostKey(::GetDlgItem(d.m_hWnd, IDC_TEST_EDIT), VK_RETURN);
    };
    EXPECT_EQ(okDialog.DoModal(), IDOK);
    EXPECT_EQ(okDialog.events, (std::vector<std::string>{"init", "ok"}));

    CTestDialog cancelDialog;
    cancelDialog.onInit = [](CTestDialog& d) {
        PostKey(::GetDlgItem(d.m_hWnd, IDC_TEST_EDIT), VK_ESCAPE);
    };
    EXPECT_EQ(cancelDialog.DoModal(), IDCANCEL);
    EXPECT_EQ(cancelDialog.events, (std::vector<std::string>{"init", "cancel"}));
}

TEST(ModalLoop, SystemCloseCancelsTheDialog) {
    CTestDialog dialog;
    dialog.onInit = [](CTestDialog& d) { d.PostMessage(WM_CLOSE); };
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"init", "cancel"}));
}

TEST(ModalLoop, ButtonClickReachesItsCommandEntry) {
    CTestDialog dialog;
    dialog.onInit = [](CTestDialog& d) {
        ::PostMessageA(::GetDlgItem(d.m_hWnd, IDC_TEST_BUTTON), BM_CLICK, 0, 0);
        d.PostMessage(WM_TEST_STEP);
    };
    dialog.onStep = [](CTestDialog& d) { d.EndDialog(IDOK); };
    dialog.DoModal();
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"init", "button"}));
}

TEST(PreTranslate, DialogSeesChildControlMessagesAndCanDropThem) {
    CTestDialog dialog;
    std::vector<WPARAM> seen;
    std::string text;
    dialog.onPreTranslate = [&](MSG* msg) {
        if (msg->message != WM_CHAR)
            return false;
        seen.push_back(msg->wParam);
        return msg->wParam == 'x';
    };
    dialog.onInit = [](CTestDialog& d) {
        PostChars(::GetDlgItem(d.m_hWnd, IDC_TEST_EDIT), "axb");
        d.PostMessage(WM_TEST_STEP);
    };
    dialog.onStep = [&](CTestDialog& d) {
        text = TextOf(::GetDlgItem(d.m_hWnd, IDC_TEST_EDIT));
        d.EndDialog(IDOK);
    };
    dialog.DoModal();
    EXPECT_EQ(seen, (std::vector<WPARAM>{'a', 'x', 'b'}));
    EXPECT_EQ(text, "ab");
}

TEST(PreTranslate, ChildObjectIsAskedFirstAndWhatItHandlesGoesNoFurther) {
    class CDialogWithEdit : public CTestDialog {
    public:
        CRecordingEdit edit;
        void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_TEST_EDIT, edit); }
    } dialog;
    std::vector<WPARAM> seenByDialog;
    std::string text;
    dialog.onPreTranslate = [&](MSG* msg) {
        if (msg->message == WM_CHAR)
            seenByDialog.push_back(msg->wParam);
        return false;
    };
    dialog.onInit = [](CTestDialog& d) {
        PostChars(::GetDlgItem(d.m_hWnd, IDC_TEST_EDIT), "pqr");
        d.PostMessage(WM_TEST_STEP);
    };
    dialog.onStep = [&](CTestDialog& d) {
        text = TextOf(::GetDlgItem(d.m_hWnd, IDC_TEST_EDIT));
        d.EndDialog(IDOK);
    };
    dialog.DoModal();
    EXPECT_EQ(dialog.edit.offeredChars, (std::vector<WPARAM>{'p', 'q', 'r'}));
    EXPECT_EQ(seenByDialog, (std::vector<WPARAM>{'p', 'r'}));
    EXPECT_EQ(text, "pr");
    EXPECT_EQ(dialog.edit.m_hWnd, nullptr);
}

TEST(ModelessDialog, CreateShowsItAndDestroyWindowUnbindsIt) {
    CTestDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_PLAIN));
    HWND hWnd = dialog.m_hWnd;
    EXPECT_TRUE(::IsWindowVisible(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), &dialog);
    EXPECT_EQ(dialog.events, (std::vector<std::string>{"init"}));
    dialog.DestroyWindow();
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    EXPECT_TRUE(dialog.postNcDestroyCalled);
}

TEST(ModelessDialog, MissingTemplateFailsWithoutAWindow) {
    CTestDialog dialog(4242);
    EXPECT_FALSE(dialog.Create(4242));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.DoModal(), -1);
}

TEST(DataExchange, BindsTheControlOnceAndFromHandleFindsIt) {
    class CDialogWithEdit : public CTestDialog {
    public:
        CRecordingEdit edit;
        int exchanges = 0;
        void DoDataExchange(CDataExchange* pDX) override {
            ++exchanges;
            DDX_Control(pDX, IDC_TEST_EDIT, edit);
        }
    } dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_PLAIN));
    HWND editHandle = ::GetDlgItem(dialog.m_hWnd, IDC_TEST_EDIT);
    EXPECT_EQ(dialog.edit.m_hWnd, editHandle);
    EXPECT_EQ(CWnd::FromHandle(editHandle), &dialog.edit);
    EXPECT_EQ(dialog.GetDlgItem(IDC_TEST_EDIT), &dialog.edit);
    dialog.UpdateData(TRUE);
    EXPECT_EQ(dialog.exchanges, 2);
    EXPECT_EQ(dialog.edit.m_hWnd, editHandle);

    // A control without an object gets a temporary one of the base class.
    HWND buttonHandle = ::GetDlgItem(dialog.m_hWnd, IDC_TEST_BUTTON);
    CWnd* button = CWnd::FromHandle(buttonHandle);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->m_hWnd, buttonHandle);
    EXPECT_EQ(CWnd::FromHandlePermanent(buttonHandle), nullptr);
    EXPECT_EQ(button->GetParent(), &dialog);
    EXPECT_EQ(CWnd::FromHandle(nullptr), nullptr);
    dialog.DestroyWindow();
    EXPECT_EQ(dialog.edit.m_hWnd, nullptr);
}
