#pragma once
// The object a hosted control fires its events at: it answers to the
// control's event interface and hands every event to the site that owns it,
// which passes it on to the hosting window's event sink map. Its references
// are counted on that site.

#include <ole2.h>

class COleControlSite;

class COleEventSink final : public IDispatch {
public:
    explicit COleEventSink(COleControlSite& site) : m_site(site) {}
    COleEventSink(const COleEventSink&) = delete;
    COleEventSink& operator=(const COleEventSink&) = delete;

    // The dispatch interface of the control's events, which this object then answers to.
    void SetEventInterface(REFIID iid) { m_events = iid; }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                               DISPID* dispids) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

private:
    COleControlSite& m_site;
    IID m_events = IID_NULL;
};
