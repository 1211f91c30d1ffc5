#include "OleEventSink.h"

#include "OleControlSite.h"

#include <new>

STDMETHODIMP COleEventSink::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || (m_events != IID_NULL && riid == m_events))
        *ppv = static_cast<IDispatch*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) COleEventSink::AddRef() {
    return m_site.AddRef();
}

STDMETHODIMP_(ULONG) COleEventSink::Release() {
    return m_site.Release();
}

STDMETHODIMP COleEventSink::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP COleEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP COleEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

STDMETHODIMP COleEventSink::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) {
    // A handler may destroy the hosting window, and with it the site.
    m_site.AddRef();
    HRESULT hr;
    try {
        hr = m_site.FireEvent(dispid, params);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    } catch (...) {
        hr = E_FAIL;
    }
    m_site.Release();
    return hr;
}
