#include "OleInPlaceFrame.h"

#include "OleControlSite.h"

STDMETHODIMP COleInPlaceFrame::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IOleInPlaceUIWindow ||
        riid == IID_IOleInPlaceFrame)
        *ppv = static_cast<IOleInPlaceFrame*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COleInPlaceFrame::AddRef() {
    return m_site.AddRef();
}

STDMETHODIMP_(ULONG) COleInPlaceFrame::Release() {
    return m_site.Release();
}

STDMETHODIMP COleInPlaceFrame::GetWindow(HWND* phwnd) {
    if (!phwnd)
        return E_POINTER;
    *phwnd = ::GetAncestor(m_site.ContainerWindow(), GA_ROOT);
    return *phwnd ? S_OK : E_FAIL;
}

STDMETHODIMP COleInPlaceFrame::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP COleInPlaceFrame::GetBorder(LPRECT) {
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP COleInPlaceFrame::RequestBorderSpace(LPCBORDERWIDTHS) {
    return INPLACE_E_NOTOOLSPACE;
}

STDMETHODIMP COleInPlaceFrame::SetBorderSpace(LPCBORDERWIDTHS widths) {
    // Only "no tools" is acceptable: the frame has no space to give.
    return widths ? INPLACE_E_NOTOOLSPACE : S_OK;
}

STDMETHODIMP COleInPlaceFrame::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) {
    return S_OK;
}

STDMETHODIMP COleInPlaceFrame::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) {
    return S_OK;
}

STDMETHODIMP COleInPlaceFrame::SetMenu(HMENU, HOLEMENU, HWND) {
    return S_OK;
}

STDMETHODIMP COleInPlaceFrame::RemoveMenus(HMENU) {
    return S_OK;
}

STDMETHODIMP COleInPlaceFrame::SetStatusText(LPCOLESTR) {
    return S_OK;
}

STDMETHODIMP COleInPlaceFrame::EnableModeless(BOOL) {
    return S_OK;
}

STDMETHODIMP COleInPlaceFrame::TranslateAccelerator(LPMSG, WORD) {
    return S_FALSE;
}
