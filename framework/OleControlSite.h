#pragma once
// COleControlSite: the in-place site of one ActiveX control. The control fills
// a container window of the framework's own class (which a CWnd owns); the
// site is the control's client site and in-place site, owns the in-place frame
// it offers and the sink its events arrive at, and passes every event to the
// event sink map of the container's parent window.
//
// Created in the usual order (client site, in-place activation, event advise)
// and closed in reverse, when the container window is destroyed at the latest.
// Its references are really counted: the owning CWnd holds one, and whatever
// the control still holds keeps it alive, harmlessly, after it is closed.

#include "InterfacePtr.h"
#include "OleEventSink.h"
#include "OleInPlaceFrame.h"

#include <ocidl.h>
#include <ole2.h>

class COleControlSite final : public IOleClientSite, public IOleInPlaceSite {
public:
    // A site for a control that is to fill `container`.
    explicit COleControlSite(HWND container);
    COleControlSite(const COleControlSite&) = delete;
    COleControlSite& operator=(const COleControlSite&) = delete;

    // The window class of control containers (registered once).
    static const char* ContainerClassName();

    // Creates the control, activates it in place and connects its events.
    // Anything that failed is undone before the failure is returned.
    HRESULT CreateControl(REFCLSID clsid);
    // Disconnects the events, deactivates and closes the control and lets it go.
    void Close();

    // The control (no reference added), or null once it is closed.
    IUnknown* GetControlUnknown() const { return m_object.Get(); }
    // The object the control fires its events at (no reference added).
    IDispatch* GetEventSink() { return &m_sink; }
    // The dispatch interface of the control's events; IID_NULL when none is connected.
    const IID& GetEventInterface() const { return m_events; }
    HWND ContainerWindow() const { return m_container; }

    // Hands an event to the event sink map of the container's parent window.
    HRESULT FireEvent(DISPID dispid, DISPPARAMS* params);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL show) override;
    STDMETHODIMP RequestNewObjectLayout() override;
    // IOleWindow
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO frameInfo) override;
    STDMETHODIMP Scroll(SIZE extent) override;
    STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT position) override;

private:
    ~COleControlSite();
    static LRESULT CALLBACK ContainerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static COleControlSite* FromContainer(HWND container);
    void ConnectEvents();
    void Disconnect();
    void OnContainerSize();

    LONG m_refCount = 1;
    HWND m_container;
    CInterfacePtr<IOleObject> m_object;
    CInterfacePtr<IOleInPlaceObject> m_inPlace;
    CInterfacePtr<IConnectionPoint> m_eventPoint;
    DWORD m_eventCookie = 0;
    IID m_events = IID_NULL;
    COleInPlaceFrame m_frame{*this};
    COleEventSink m_sink{*this};
};
