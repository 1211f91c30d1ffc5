#include "DocHostUIHandler.h"

#include <new>

CDocHostUIHandler::CDocHostUIHandler() : m_pExternal(new (std::nothrow) CDispatchImpl_Hooker) {}

CDocHostUIHandler::~CDocHostUIHandler() {
    delete m_pExternal;
    m_pExternal = nullptr;
}

STDMETHODIMP CDocHostUIHandler::QueryInterface(REFIID riid, void** ppv) {
    if (::IsBadWritePtr(ppv, sizeof(*ppv)))
        return E_INVALIDARG;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDocHostUIHandler)
        return E_NOINTERFACE;
    *ppv = static_cast<IDocHostUIHandler*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CDocHostUIHandler::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) CDocHostUIHandler::Release() {
    // Never destroyed here: see the class comment.
    return static_cast<ULONG>(::InterlockedDecrement(&m_refCount));
}

STDMETHODIMP CDocHostUIHandler::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*) {
    return S_OK; // handled: pages show no context menu
}

STDMETHODIMP CDocHostUIHandler::GetHostInfo(DOCHOSTUIINFO* info) {
    if (!info)
        return E_POINTER;
    info->cbSize = sizeof(DOCHOSTUIINFO);
    // DPI_AWARE: the engine zooms pages to the display's DPI, so a page keeps
    // its designed proportions and its text stays sharp.
    info->dwFlags |= DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_DPI_AWARE;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    info->pchHostCss = nullptr;
    info->pchHostNS = nullptr;
    return S_OK;
}

STDMETHODIMP CDocHostUIHandler::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*,
                                       IOleInPlaceFrame*, IOleInPlaceUIWindow*) {
    return S_OK; // the host shows its own user interface
}

STDMETHODIMP CDocHostUIHandler::HideUI() {
    return S_OK;
}

STDMETHODIMP CDocHostUIHandler::UpdateUI() {
    return S_OK;
}

STDMETHODIMP CDocHostUIHandler::EnableModeless(BOOL) {
    return S_OK;
}

STDMETHODIMP CDocHostUIHandler::OnDocWindowActivate(BOOL) {
    return S_OK;
}

STDMETHODIMP CDocHostUIHandler::OnFrameWindowActivate(BOOL) {
    return S_OK;
}

STDMETHODIMP CDocHostUIHandler::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}

STDMETHODIMP CDocHostUIHandler::TranslateAccelerator(LPMSG, const GUID*, DWORD) {
    return S_OK; // every accelerator is the host's
}

STDMETHODIMP CDocHostUIHandler::GetOptionKeyPath(LPOLESTR* key, DWORD) {
    // None of these four supplies anything; the output says so explicitly.
    if (key)
        *key = nullptr;
    return S_OK;
}

STDMETHODIMP CDocHostUIHandler::GetDropTarget(IDropTarget*, IDropTarget** replacement) {
    if (replacement)
        *replacement = nullptr;
    return S_OK;
}

STDMETHODIMP CDocHostUIHandler::GetExternal(IDispatch** external) {
    if (!external)
        return E_POINTER;
    *external = m_pExternal; // its reference count is nominal
    return S_OK;
}

STDMETHODIMP CDocHostUIHandler::TranslateUrl(DWORD, LPWSTR, LPWSTR* urlOut) {
    if (urlOut)
        *urlOut = nullptr;
    return S_OK;
}

STDMETHODIMP CDocHostUIHandler::FilterDataObject(IDataObject*, IDataObject** replacement) {
    if (replacement)
        *replacement = nullptr;
    return S_OK;
}
