// CWnd's ActiveX control hosting: the window is the container the control
// fills, and its site (COleControlSite) belongs to the CWnd.

#include "OleControlSite.h"
#include "Wnd.h"

#include <new>

BOOL CWnd::CreateControl(REFCLSID clsid, const char* windowName, DWORD style, const RECT& rect,
                         CWnd* parent, UINT id) {
    if (!AfxControlContainerEnabled() || m_hWnd)
        return FALSE;
    ReleaseControlSite();
    const char* containerClass = COleControlSite::ContainerClassName();
    if (!containerClass || !Create(containerClass, windowName, style, rect, parent, id))
        return FALSE;
    m_pCtrlSite = new (std::nothrow) COleControlSite(m_hWnd);
    if (!m_pCtrlSite || FAILED(m_pCtrlSite->CreateControl(clsid))) {
        DestroyWindow();
        ReleaseControlSite();
        return FALSE;
    }
    return TRUE;
}

IUnknown* CWnd::GetControlUnknown() const {
    return m_pCtrlSite ? m_pCtrlSite->GetControlUnknown() : nullptr;
}

void CWnd::ReleaseControlSite() {
    if (COleControlSite* site = m_pCtrlSite) {
        m_pCtrlSite = nullptr;
        site->Close();
        site->Release();
    }
}

const EventSinkMap* CWnd::ThisEventSinkMap() {
    static const EventSinkMap map{nullptr, {}};
    return &map;
}

HRESULT CWnd::OnControlEvent(UINT id, DISPID dispid, DISPPARAMS* params) {
    for (const EventSinkMap* map = GetEventSinkMap(); map; map = map->base)
        for (const EventSinkEntry& entry : map->entries)
            if (entry.controlId == id && entry.dispid == dispid)
                return entry.handler(this, params);
    return DISP_E_MEMBERNOTFOUND;
}
