#include "OleControlSite.h"

#include "Wnd.h"

#include <olectl.h>

#include <utility>

namespace {

constexpr char kContainerClass[] = "AfxOleControlContainer";
// Window extra bytes of a container: its site (no reference held).
constexpr int kSiteSlot = 0;

} // namespace

COleControlSite::COleControlSite(HWND container) : m_container(container) {
    ::SetWindowLongPtrA(container, kSiteSlot, reinterpret_cast<LONG_PTR>(this));
}

COleControlSite::~COleControlSite() {
    Disconnect();
}

const char* COleControlSite::ContainerClassName() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &COleControlSite::ContainerProc;
        wc.cbWndExtra = sizeof(LONG_PTR);
        wc.hInstance = AfxGetInstanceHandle();
        wc.lpszClassName = kContainerClass;
        return ::RegisterClassA(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered ? kContainerClass : nullptr;
}

COleControlSite* COleControlSite::FromContainer(HWND container) {
    return reinterpret_cast<COleControlSite*>(::GetWindowLongPtrA(container, kSiteSlot));
}

LRESULT CALLBACK COleControlSite::ContainerProc(HWND hWnd, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    if (COleControlSite* site = FromContainer(hWnd)) {
        if (message == WM_SIZE)
            site->OnContainerSize();
        else if (message == WM_DESTROY)
            site->Close(); // while the control's own windows still exist
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

HRESULT COleControlSite::CreateControl(REFCLSID clsid) {
    if (!m_container || m_object)
        return E_UNEXPECTED;
    HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                    IID_IOleObject, m_object.ReceiveVoid());
    if (FAILED(hr))
        return hr;
    hr = m_object->SetClientSite(this);
    if (SUCCEEDED(hr)) {
        CInterfacePtr<IPersistStreamInit> persist;
        if (SUCCEEDED(persist.QueryFrom(m_object.Get(), IID_IPersistStreamInit)))
            persist->InitNew();
        RECT rect{};
        ::GetClientRect(m_container, &rect);
        hr = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, m_container, &rect);
    }
    if (FAILED(hr)) {
        Close();
        return hr;
    }
    m_inPlace.QueryFrom(m_object.Get(), IID_IOleInPlaceObject);
    ConnectEvents();
    return S_OK;
}

void COleControlSite::ConnectEvents() {
    CInterfacePtr<IProvideClassInfo2> classInfo;
    IID events = IID_NULL;
    if (FAILED(classInfo.QueryFrom(m_object.Get(), IID_IProvideClassInfo2)) ||
        FAILED(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events)))
        return;
    CInterfacePtr<IConnectionPointContainer> points;
    if (FAILED(points.QueryFrom(m_object.Get(), IID_IConnectionPointContainer)) ||
        FAILED(points->FindConnectionPoint(events, m_eventPoint.Receive())) || !m_eventPoint)
        return;
    m_sink.SetEventInterface(events);
    if (FAILED(m_eventPoint->Advise(&m_sink, &m_eventCookie))) {
        m_eventPoint.Release();
        return;
    }
    m_events = events;
}

void COleControlSite::Close() {
    AddRef(); // the control's last release of us may come from inside
    Disconnect();
    Release();
}

void COleControlSite::Disconnect() {
    if (m_eventPoint) {
        m_eventPoint->Unadvise(m_eventCookie);
        m_eventPoint.Release();
        m_eventCookie = 0;
        m_events = IID_NULL;
    }
    if (m_inPlace) {
        m_inPlace->InPlaceDeactivate();
        m_inPlace.Release();
    }
    if (CInterfacePtr<IOleObject> object = std::move(m_object)) {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
    }
    if (m_container && FromContainer(m_container) == this)
        ::SetWindowLongPtrA(m_container, kSiteSlot, 0);
    m_container = nullptr;
}

void COleControlSite::OnContainerSize() {
    if (!m_inPlace)
        return;
    RECT rect{};
    ::GetClientRect(m_container, &rect);
    m_inPlace->SetObjectRects(&rect, &rect);
}

HRESULT COleControlSite::FireEvent(DISPID dispid, DISPPARAMS* params) {
    if (!m_container)
        return S_OK;
    CWnd* host = CWnd::FromHandlePermanent(::GetParent(m_container));
    if (!host)
        return S_OK;
    return host->OnControlEvent(static_cast<UINT>(::GetDlgCtrlID(m_container)), dispid, params);
}

STDMETHODIMP COleControlSite::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
        *ppv = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
        *ppv = static_cast<IOleInPlaceSite*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COleControlSite::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) COleControlSite::Release() {
    LONG count = ::InterlockedDecrement(&m_refCount);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP COleControlSite::SaveObject() {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::GetContainer(IOleContainer** container) {
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP COleControlSite::ShowObject() {
    return S_OK;
}

STDMETHODIMP COleControlSite::OnShowWindow(BOOL) {
    return S_OK;
}

STDMETHODIMP COleControlSite::RequestNewObjectLayout() {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::GetWindow(HWND* phwnd) {
    if (!phwnd)
        return E_POINTER;
    *phwnd = m_container;
    return m_container ? S_OK : E_FAIL;
}

STDMETHODIMP COleControlSite::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::CanInPlaceActivate() {
    return m_container ? S_OK : S_FALSE;
}

STDMETHODIMP COleControlSite::OnInPlaceActivate() {
    return S_OK;
}

STDMETHODIMP COleControlSite::OnUIActivate() {
    return S_OK;
}

STDMETHODIMP COleControlSite::GetWindowContext(IOleInPlaceFrame** frame,
                                               IOleInPlaceUIWindow** document, LPRECT position,
                                               LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
    if (!frame || !document || !position || !clip)
        return E_POINTER;
    *frame = &m_frame;
    m_frame.AddRef();
    *document = nullptr; // the frame serves as the document window too
    ::GetClientRect(m_container, position);
    *clip = *position;
    if (frameInfo) {
        frameInfo->fMDIApp = FALSE;
        frameInfo->hwndFrame = ::GetAncestor(m_container, GA_ROOT);
        frameInfo->haccel = nullptr;
        frameInfo->cAccelEntries = 0;
    }
    return S_OK;
}

STDMETHODIMP COleControlSite::Scroll(SIZE) {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::OnUIDeactivate(BOOL) {
    return S_OK;
}

STDMETHODIMP COleControlSite::OnInPlaceDeactivate() {
    return S_OK;
}

STDMETHODIMP COleControlSite::DiscardUndoState() {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::DeactivateAndUndo() {
    return E_NOTIMPL;
}

STDMETHODIMP COleControlSite::OnPosRectChange(LPCRECT position) {
    if (!position)
        return E_POINTER;
    if (m_inPlace)
        m_inPlace->SetObjectRects(position, position);
    return S_OK;
}
