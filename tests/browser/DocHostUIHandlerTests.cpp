// The document host UI handler: its reference counting that never ends its
// life, its QueryInterface rules, what it tells the browser, and
// window.external.

#include "DispatchArgs.h"
#include "DocHostUIHandler.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(DocHostUIHandler, CountsReferencesButStaysAlive) {
    CDocHostUIHandler handler;
    EXPECT_EQ(handler.m_refCount, 0);
    EXPECT_EQ(handler.AddRef(), 1u);
    EXPECT_EQ(handler.AddRef(), 2u);
    EXPECT_EQ(handler.Release(), 1u);
    EXPECT_EQ(handler.Release(), 0u);
    // Still answers.
    IDispatch* external = nullptr;
    EXPECT_EQ(handler.GetExternal(&external), S_OK);
    EXPECT_EQ(external, handler.m_pExternal);
    DOCHOSTUIINFO info{};
    EXPECT_EQ(handler.GetHostInfo(&info), S_OK);
}

TEST(DocHostUIHandler, AnswersOnlyForItsOwnInterfaces) {
    CDocHostUIHandler handler;
    void* out = nullptr;
    EXPECT_EQ(handler.QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(out, static_cast<IUnknown*>(&handler));
    EXPECT_EQ(handler.QueryInterface(IID_IDocHostUIHandler, &out), S_OK);
    EXPECT_EQ(out, static_cast<IDocHostUIHandler*>(&handler));
    EXPECT_EQ(handler.m_refCount, 2);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(handler.QueryInterface(IID_IDispatch, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void*>(1);
    EXPECT_EQ(handler.QueryInterface(IID_IOleCommandTarget, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(handler.m_refCount, 2);
}

TEST(DocHostUIHandler, AnUnwritableOutputIsRefusedWithoutWriting) {
    CDocHostUIHandler handler;
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    auto* page = static_cast<void**>(
        ::VirtualAlloc(nullptr, system.dwPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(page, nullptr);
    *page = reinterpret_cast<void*>(0x5A5A);
    DWORD old = 0;
    ASSERT_TRUE(::VirtualProtect(page, system.dwPageSize, PAGE_READONLY, &old));
    EXPECT_EQ(handler.QueryInterface(IID_IUnknown, page), E_INVALIDARG);
    EXPECT_EQ(*page, reinterpret_cast<void*>(0x5A5A));
    EXPECT_EQ(handler.QueryInterface(IID_IUnknown, nullptr), E_INVALIDARG);
    EXPECT_EQ(handler.m_refCount, 0);
    ::VirtualFree(page, 0, MEM_RELEASE);
}

TEST(DocHostUIHandler, HostInfoAsksForNoBorderAndDpiZoomAndKeepsTheBrowsersFlags) {
    CDocHostUIHandler handler;
    DOCHOSTUIINFO info;
    std::memset(&info, 0xCD, sizeof(info));
    info.dwFlags = DOCHOSTUIFLAG_SCROLL_NO | DOCHOSTUIFLAG_DIALOG;
    EXPECT_EQ(handler.GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.cbSize, sizeof(DOCHOSTUIINFO));
    EXPECT_EQ(info.dwFlags,
              static_cast<DWORD>(DOCHOSTUIFLAG_SCROLL_NO | DOCHOSTUIFLAG_DIALOG | 0x4 |
                                 DOCHOSTUIFLAG_DPI_AWARE));
    EXPECT_EQ(info.dwDoubleClick, 0u);
    EXPECT_EQ(info.pchHostCss, nullptr);
    EXPECT_EQ(info.pchHostNS, nullptr);
    EXPECT_EQ(handler.GetHostInfo(nullptr), E_POINTER);
}

TEST(DocHostUIHandler, HandlesMenusAndAcceleratorsAndSuppliesNothingElse) {
    CDocHostUIHandler handler;
    POINT point{1, 2};
    MSG msg{nullptr, WM_KEYDOWN, 'N', 0, 0, {0, 0}};
    EXPECT_EQ(handler.ShowContextMenu(0, &point, nullptr, nullptr), S_OK);
    EXPECT_EQ(handler.ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(handler.HideUI(), S_OK);
    EXPECT_EQ(handler.UpdateUI(), S_OK);
    EXPECT_EQ(handler.EnableModeless(TRUE), S_OK);
    EXPECT_EQ(handler.OnDocWindowActivate(TRUE), S_OK);
    EXPECT_EQ(handler.OnFrameWindowActivate(FALSE), S_OK);
    EXPECT_EQ(handler.ResizeBorder(nullptr, nullptr, TRUE), S_OK);
    EXPECT_EQ(handler.TranslateAccelerator(&msg, nullptr, 0), S_OK);
    LPOLESTR key = reinterpret_cast<LPOLESTR>(1);
    EXPECT_EQ(handler.GetOptionKeyPath(&key, 0), S_OK);
    EXPECT_EQ(key, nullptr);
    IDropTarget* target = reinterpret_cast<IDropTarget*>(1);
    EXPECT_EQ(handler.GetDropTarget(nullptr, &target), S_OK);
    EXPECT_EQ(target, nullptr);
    std::wstring url = L"http://h/";
    LPWSTR translated = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(handler.TranslateUrl(0, url.data(), &translated), S_OK);
    EXPECT_EQ(translated, nullptr);
    IDataObject* data = reinterpret_cast<IDataObject*>(1);
    EXPECT_EQ(handler.FilterDataObject(nullptr, &data), S_OK);
    EXPECT_EQ(data, nullptr);
}

TEST(DocHostUIHandler, ExternalIsItsOwnEmptyScriptObjectEveryTime) {
    CDocHostUIHandler handler;
    ASSERT_NE(handler.m_pExternal, nullptr);
    IDispatch* first = nullptr;
    IDispatch* second = nullptr;
    EXPECT_EQ(handler.GetExternal(&first), S_OK);
    EXPECT_EQ(handler.GetExternal(&second), S_OK);
    EXPECT_EQ(first, handler.m_pExternal);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->AddRef(), 0u);
    EXPECT_EQ(first->Release(), 0u);
    DISPID dispid = 0;
    EXPECT_EQ(DispidOf(first, L"home", &dispid), E_FAIL);
    EXPECT_EQ(handler.GetExternal(nullptr), E_POINTER);
}

} // namespace
