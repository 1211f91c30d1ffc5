#include "FakeWebBrowser.h"

#include "SimpleBrowser.h"

namespace {

// ICustomDoc, which the import libraries do not define.
constexpr IID kCustomDocIid = {
    0x3050F3F0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};

} // namespace

CFakeDocument::~CFakeDocument() {
    if (m_handler)
        m_handler->Release();
}

STDMETHODIMP CFakeDocument::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch)
        *ppv = static_cast<IDispatch*>(this);
    else if (riid == kCustomDocIid)
        *ppv = static_cast<ICustomDoc*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP CFakeDocument::SetUIHandler(IDocHostUIHandler* handler) {
    if (handler)
        handler->AddRef();
    if (m_handler)
        m_handler->Release();
    m_handler = handler;
    ++m_installs;
    return S_OK;
}

STDMETHODIMP CFakeWebBrowser::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != IID_IWebBrowser &&
        riid != IID_IWebBrowserApp && riid != IID_IWebBrowser2)
        return E_NOINTERFACE;
    *ppv = static_cast<IWebBrowser2*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP CFakeWebBrowser::Navigate(BSTR url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
    m_navigations.emplace_back(url ? url : L"");
    return S_OK;
}

STDMETHODIMP CFakeWebBrowser::Refresh() {
    ++m_refreshes;
    return S_OK;
}

STDMETHODIMP CFakeWebBrowser::get_Document(IDispatch** document) {
    if (!document)
        return E_POINTER;
    *document = m_document;
    if (!m_document)
        return S_FALSE;
    m_document->AddRef();
    return S_OK;
}

STDMETHODIMP CFakeWebBrowser::get_FullScreen(VARIANT_BOOL* fullScreen) {
    if (!fullScreen)
        return E_POINTER;
    *fullScreen = m_fullScreen;
    return S_OK;
}

STDMETHODIMP CFakeWebBrowser::put_FullScreen(VARIANT_BOOL fullScreen) {
    m_fullScreen = fullScreen;
    return S_OK;
}

STDMETHODIMP CFakeWebBrowser::ExecWB(OLECMDID command, OLECMDEXECOPT, VARIANT* in, VARIANT*) {
    if (command != OLECMDID_OPTICAL_ZOOM || !in || in->vt != VT_I4)
        return E_NOTIMPL;
    m_zooms.push_back(in->lVal);
    return S_OK;
}

void UseFakeBrowser(SimpleBrowser& host, CFakeWebBrowser& fake) {
    if (host.m_pBrowser)
        host.m_pBrowser->Release();
    if (host.m_pBrowserDispatch)
        host.m_pBrowserDispatch->Release();
    host.m_pBrowser = &fake;
    fake.AddRef();
    host.m_pBrowserDispatch = &fake;
    fake.AddRef();
}
