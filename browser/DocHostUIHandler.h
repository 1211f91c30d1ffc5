#pragma once
// CDocHostUIHandler: customises how the browser control presents a page (no
// context menu, no 3-D border, every accelerator handled by the host) and
// answers GetExternal with the script-callable object that it owns.
//
// Its reference count is real but never ends its life: documents may keep
// references after their host is gone, so the handler and its script object
// stay allocated until the process ends.

#include "DispatchImpl_Hooker.h"

#include <mshtmhst.h>

class CDocHostUIHandler : public IDocHostUIHandler {
public:
    CDocHostUIHandler();
    CDocHostUIHandler(const CDocHostUIHandler&) = delete;
    CDocHostUIHandler& operator=(const CDocHostUIHandler&) = delete;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDocHostUIHandler
    STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget,
                                 IDispatch* object) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject,
                        IOleCommandTarget* commandTarget, IOleInPlaceFrame* frame,
                        IOleInPlaceUIWindow* document) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                              BOOL frameWindow) override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID* group, DWORD commandId) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    STDMETHODIMP GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement) override;
    STDMETHODIMP GetExternal(IDispatch** external) override;
    STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR urlIn, LPWSTR* urlOut) override;
    STDMETHODIMP FilterDataObject(IDataObject* object, IDataObject** replacement) override;

    virtual ~CDocHostUIHandler();

    LONG m_refCount = 0;
    CDispatchImpl_Hooker* m_pExternal;
};
