// ActiveX control hosting: the in-place site around the real WebBrowser
// control, and the event sink map that hands the control's events, by
// DISPID, to typed members of the hosting window.

#include "OleControlSite.h"
#include "UiPump.h"
#include "Wnd.h"

#include <gtest/gtest.h>

#include <exdisp.h>
#include <exdispid.h>

#include <string>
#include <vector>

namespace {

constexpr UINT kControlId = 77;
constexpr DISPID kTextEvent = 1;
constexpr DISPID kReferenceEvent = 2;
constexpr DISPID kPlainEvent = 3;

class CHostWindow : public CWnd {
public:
    std::vector<std::string> m_log;
    IDispatch* m_dispatch = nullptr;
    VARIANT* m_variant = nullptr;
    VARIANT_BOOL* m_flag = nullptr;
    std::vector<std::string> m_navigations;

    void OnText(const char* text, long number) {
        m_log.push_back(std::string("text ") + (text ? text : "(null)") + " " +
                        std::to_string(number));
    }
    void OnReferences(IDispatch* dispatch, VARIANT* variant, VARIANT_BOOL* flag) {
        m_dispatch = dispatch;
        m_variant = variant;
        m_flag = flag;
        if (flag)
            *flag = VARIANT_TRUE;
        m_log.push_back("references");
    }
    void OnPlain() { m_log.push_back("plain"); }
    void OnBeforeNavigate2(IDispatch*, VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*,
                           VARIANT_BOOL* cancel) {
        m_navigations.push_back(url && url->vt == VT_BSTR ? BstrToNarrow(url->bstrVal) : "?");
        EXPECT_NE(cancel, nullptr);
    }

    static const EventSinkMap* ThisEventSinkMap() {
        static const EventSinkEntry entries[] = {
            OnEvent<kControlId, kTextEvent, &CHostWindow::OnText>(),
            OnEvent<kControlId, kReferenceEvent, &CHostWindow::OnReferences>(),
            OnEvent<kControlId, kPlainEvent, &CHostWindow::OnPlain>(),
            OnEvent<kControlId, DISPID_BEFORENAVIGATE2, &CHostWindow::OnBeforeNavigate2>(),
        };
        static const EventSinkMap map{CWnd::ThisEventSinkMap(), entries};
        return &map;
    }
    const EventSinkMap* GetEventSinkMap() const override { return ThisEventSinkMap(); }
};

// Its own entry for one event; the others come from its base's map.
class CDerivedHostWindow : public CHostWindow {
public:
    void OnPlainHere() { m_log.push_back("derived plain"); }
    static const EventSinkMap* ThisEventSinkMap() {
        static const EventSinkEntry entries[] = {
            OnEvent<kControlId, kPlainEvent, &CDerivedHostWindow::OnPlainHere>(),
        };
        static const EventSinkMap map{CHostWindow::ThisEventSinkMap(), entries};
        return &map;
    }
    const EventSinkMap* GetEventSinkMap() const override { return ThisEventSinkMap(); }
};

std::string Str(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

RECT RectIn(HWND child, HWND parent) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

template <class Host> class ControlHostingT : public ::testing::Test {
protected:
    void SetUp() override {
        RECT rect{40, 40, 440, 340};
        ASSERT_TRUE(host.CreateEx(0, AfxRegisterWndClass(0), "host", WS_POPUP | WS_VISIBLE, rect,
                                  nullptr, 0));
    }
    void TearDown() override {
        control.DestroyWindow();
        host.DestroyWindow();
    }
    void CreateBrowserControl() {
        RECT rect{10, 20, 210, 170};
        ASSERT_TRUE(control.CreateControl(CLSID_WebBrowser, "control", WS_VISIBLE, rect, &host,
                                          kControlId));
    }
    HRESULT Fire(DISPID dispid, VARIANT* args, UINT count) {
        DISPPARAMS params{args, nullptr, count, 0};
        return control.GetControlSite()->GetEventSink()->Invoke(
            dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
            nullptr);
    }

    Host host;
    CWnd control;
};

using ControlHosting = ControlHostingT<CHostWindow>;
using InheritedEventSinkMap = ControlHostingT<CDerivedHostWindow>;

TEST_F(ControlHosting, TheControlIsActiveInPlaceAndFillsItsWindow) {
    CreateBrowserControl();
    ASSERT_NE(control.m_hWnd, nullptr);
    EXPECT_EQ(::GetParent(control.m_hWnd), host.m_hWnd);
    EXPECT_EQ(control.GetDlgCtrlID(), static_cast<int>(kControlId));
    EXPECT_EQ(control.GetWindowText(), "control");
    EXPECT_EQ(Str(RectIn(control.m_hWnd, host.m_hWnd)), "10,20,210,170");
    IUnknown* unknown = control.GetControlUnknown();
    ASSERT_NE(unknown, nullptr);
    IWebBrowser2* browser = nullptr;
    ASSERT_EQ(unknown->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&browser)), S_OK);
    browser->Release();
    // The control's own window, inside the container, filling it.
    HWND inner = ::GetWindow(control.m_hWnd, GW_CHILD);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(Str(RectIn(inner, control.m_hWnd)), "0,0,200,150");
    EXPECT_TRUE(control.GetControlSite()->GetEventInterface() == DIID_DWebBrowserEvents2);

    control.MoveWindow(0, 0, 300, 120);
    EXPECT_EQ(Str(RectIn(inner, control.m_hWnd)), "0,0,300,120");
}

TEST_F(ControlHosting, TheRealControlsEventsReachTheTypedHandler) {
    CreateBrowserControl();
    IWebBrowser2* browser = nullptr;
    ASSERT_EQ(control.GetControlUnknown()->QueryInterface(IID_IWebBrowser2,
                                                          reinterpret_cast<void**>(&browser)),
              S_OK);
    BSTR url = ::SysAllocString(L"about:blank");
    browser->Navigate(url, nullptr, nullptr, nullptr, nullptr);
    ::SysFreeString(url);
    browser->Release();
    ASSERT_TRUE(PumpUntil([&] { return !host.m_navigations.empty(); }));
    EXPECT_EQ(host.m_navigations[0], "about:blank");
}

TEST_F(ControlHosting, ArgumentsAreConvertedForTheHandler) {
    CreateBrowserControl();
    VARIANT args[2];
    ::VariantInit(&args[0]);
    args[0].vt = VT_I4;
    args[0].lVal = -5;
    ::VariantInit(&args[1]);
    args[1].vt = VT_BSTR;
    args[1].bstrVal = ::SysAllocString(L"\u4F60\u597D");
    EXPECT_EQ(Fire(kTextEvent, args, 2), S_OK);
    // Text that converts to a number, and a null string.
    VariantClear(&args[0]);
    args[0].vt = VT_BSTR;
    args[0].bstrVal = ::SysAllocString(L"42");
    ::SysFreeString(args[1].bstrVal);
    args[1].bstrVal = nullptr;
    EXPECT_EQ(Fire(kTextEvent, args, 2), S_OK);
    ::VariantClear(&args[0]);
    ::VariantClear(&args[1]);
    EXPECT_EQ(host.m_log, (std::vector<std::string>{"text \xC4\xE3\xBA\xC3 -5", "text (null) 42"}));

    // References: the VARIANT referred to, and a flag the handler writes back.
    VARIANT held;
    ::VariantInit(&held);
    held.vt = VT_I4;
    VARIANT_BOOL flag = VARIANT_FALSE;
    VARIANT refs[3];
    ::VariantInit(&refs[0]);
    refs[0].vt = VT_BYREF | VT_BOOL;
    refs[0].pboolVal = &flag;
    ::VariantInit(&refs[1]);
    refs[1].vt = VT_BYREF | VT_VARIANT;
    refs[1].pvarVal = &held;
    ::VariantInit(&refs[2]);
    refs[2].vt = VT_DISPATCH;
    refs[2].pdispVal = control.GetControlSite()->GetEventSink();
    EXPECT_EQ(Fire(kReferenceEvent, refs, 3), S_OK);
    EXPECT_EQ(host.m_dispatch, control.GetControlSite()->GetEventSink());
    EXPECT_EQ(host.m_variant, &held);
    EXPECT_EQ(host.m_flag, &flag);
    EXPECT_EQ(flag, VARIANT_TRUE);
}

TEST_F(ControlHosting, EventsThatDoNotFitTheirHandlerAreNotDelivered) {
    CreateBrowserControl();
    VARIANT args[3];
    for (VARIANT& v : args)
        ::VariantInit(&v);
    EXPECT_EQ(Fire(kPlainEvent, args, 1), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Fire(kTextEvent, args, 3), DISP_E_BADPARAMCOUNT);
    EXPECT_EQ(Fire(kTextEvent, nullptr, 2), DISP_E_BADPARAMCOUNT);
    // A number that is no number.
    args[0].vt = VT_BSTR;
    args[0].bstrVal = ::SysAllocString(L"not a number");
    args[1].vt = VT_I4;
    EXPECT_EQ(Fire(kTextEvent, args, 2), DISP_E_TYPEMISMATCH);
    ::VariantClear(&args[0]);
    // A flag that is not a reference to one.
    args[0].vt = VT_I4;
    args[1].vt = VT_EMPTY;
    args[2].vt = VT_EMPTY;
    EXPECT_EQ(Fire(kReferenceEvent, args, 3), DISP_E_TYPEMISMATCH);
    // No entry for the event.
    EXPECT_EQ(Fire(999, nullptr, 0), DISP_E_MEMBERNOTFOUND);
    EXPECT_TRUE(host.m_log.empty());
    EXPECT_EQ(Fire(kPlainEvent, nullptr, 0), S_OK);
    EXPECT_EQ(host.m_log, std::vector<std::string>{"plain"});
}

TEST_F(ControlHosting, EventsOfAnotherControlIdFindNoEntry) {
    RECT rect{0, 0, 50, 50};
    ASSERT_TRUE(control.CreateControl(CLSID_WebBrowser, "", WS_VISIBLE, rect, &host, 78));
    EXPECT_EQ(Fire(kPlainEvent, nullptr, 0), DISP_E_MEMBERNOTFOUND);
    EXPECT_TRUE(host.m_log.empty());
}

TEST_F(InheritedEventSinkMap, ADerivedClassesEntriesComeFirstThenItsBases) {
    CreateBrowserControl();
    EXPECT_EQ(Fire(kPlainEvent, nullptr, 0), S_OK);
    VARIANT args[2];
    ::VariantInit(&args[0]);
    args[0].vt = VT_I4;
    args[0].lVal = 1;
    ::VariantInit(&args[1]);
    EXPECT_EQ(Fire(kTextEvent, args, 2), S_OK);
    EXPECT_EQ(host.m_log, (std::vector<std::string>{"derived plain", "text (null) 1"}));
}

TEST_F(ControlHosting, DestroyingTheWindowClosesTheControlAndItsEvents) {
    CreateBrowserControl();
    IWebBrowser2* browser = nullptr;
    ASSERT_EQ(control.GetControlUnknown()->QueryInterface(IID_IWebBrowser2,
                                                          reinterpret_cast<void**>(&browser)),
              S_OK);
    COleControlSite* site = control.GetControlSite();
    HWND container = control.m_hWnd;
    HWND inner = ::GetWindow(container, GW_CHILD);
    control.DestroyWindow();
    EXPECT_FALSE(::IsWindow(container));
    EXPECT_FALSE(::IsWindow(inner));
    EXPECT_EQ(control.GetControlUnknown(), nullptr);
    EXPECT_EQ(site->ContainerWindow(), nullptr);
    EXPECT_TRUE(site->GetEventInterface() == IID_NULL);
    // The control no longer reaches the window with its events.
    BSTR url = ::SysAllocString(L"about:blank");
    browser->Navigate(url, nullptr, nullptr, nullptr, nullptr);
    ::SysFreeString(url);
    PumpFor(300);
    EXPECT_TRUE(host.m_navigations.empty());
    EXPECT_EQ(site->FireEvent(kPlainEvent, nullptr), S_OK);
    EXPECT_TRUE(host.m_log.empty());
    browser->Release();
}

TEST_F(ControlHosting, AControlThatCannotBeCreatedLeavesNothing) {
    const CLSID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    RECT rect{0, 0, 50, 50};
    EXPECT_FALSE(control.CreateControl(unknown, "", WS_VISIBLE, rect, &host, kControlId));
    EXPECT_EQ(control.m_hWnd, nullptr);
    EXPECT_EQ(::GetDlgItem(host.m_hWnd, kControlId), nullptr);
    EXPECT_EQ(control.GetControlSite(), nullptr);
    EXPECT_EQ(control.GetControlUnknown(), nullptr);
    // A window that already has a control gets no second one.
    CreateBrowserControl();
    EXPECT_FALSE(control.CreateControl(CLSID_WebBrowser, "", WS_VISIBLE, rect, &host, 5));
    EXPECT_NE(control.GetControlUnknown(), nullptr);
}

TEST_F(ControlHosting, TheWindowObjectsDestructorTearsEverythingDown) {
    auto* owner = new CWnd;
    RECT rect{0, 0, 80, 60};
    ASSERT_TRUE(owner->CreateControl(CLSID_WebBrowser, "", WS_VISIBLE, rect, &host, kControlId));
    IUnknown* unknown = owner->GetControlUnknown();
    unknown->AddRef();
    HWND container = owner->m_hWnd;
    delete owner;
    EXPECT_FALSE(::IsWindow(container));
    // Nothing of ours holds the control any more: this is the last reference.
    EXPECT_EQ(unknown->Release(), 0u);
}

} // namespace
