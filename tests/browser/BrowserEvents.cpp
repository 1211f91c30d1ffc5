#include "BrowserEvents.h"

#include "OleControlSite.h"
#include "SimpleBrowser.h"

#include <exdispid.h>

#include <cstring>

HRESULT FireEvent(SimpleBrowser& host, DISPID dispid, VARIANT* args, UINT count) {
    COleControlSite* site = host.m_wndBrowser.GetControlSite();
    if (!site)
        return E_UNEXPECTED;
    DISPPARAMS params{args, nullptr, count, 0};
    return site->GetEventSink()->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                        &params, nullptr, nullptr, nullptr);
}

HRESULT FireFrameEvent(SimpleBrowser& host, DISPID dispid, IDispatch* frame,
                       const std::wstring& url) {
    VARIANT address;
    ::VariantInit(&address);
    address.vt = VT_BSTR;
    address.bstrVal = ::SysAllocStringLen(url.data(), static_cast<UINT>(url.size()));
    VARIANT args[2];
    ::VariantInit(&args[0]);
    args[0].vt = VT_BYREF | VT_VARIANT;
    args[0].pvarVal = &address;
    ::VariantInit(&args[1]);
    args[1].vt = VT_DISPATCH;
    args[1].pdispVal = frame;
    HRESULT hr = FireEvent(host, dispid, args, 2);
    ::VariantClear(&address);
    return hr;
}

HRESULT FireTextEvent(SimpleBrowser& host, DISPID dispid, const wchar_t* text) {
    VARIANT arg;
    ::VariantInit(&arg);
    arg.vt = VT_BSTR;
    arg.bstrVal = text ? ::SysAllocString(text) : nullptr;
    HRESULT hr = FireEvent(host, dispid, &arg, 1);
    ::VariantClear(&arg);
    return hr;
}

namespace {

VARIANT Text(const std::wstring& text) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return v;
}

VARIANT RefTo(VARIANT* target) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BYREF | VT_VARIANT;
    v.pvarVal = target;
    return v;
}

} // namespace

CBeforeNavigate2::CBeforeNavigate2(IDispatch* frame, const std::wstring& url)
    : m_frame(frame), m_url(Text(url)), m_target(Text(L"")), m_headers(Text(L"")) {
    ::VariantInit(&m_flags);
    m_flags.vt = VT_I4;
    m_flags.lVal = 0;
    ::VariantInit(&m_body);
    m_postData = RefTo(&m_body);
}

CBeforeNavigate2::~CBeforeNavigate2() {
    for (VARIANT* v : {&m_url, &m_flags, &m_target, &m_body, &m_headers})
        ::VariantClear(v);
}

void CBeforeNavigate2::SetBody(const VARIANT& body) {
    ::VariantClear(&m_body);
    m_body = body;
}

void CBeforeNavigate2::SetHeaders(const std::wstring& headers) {
    ::VariantClear(&m_headers);
    m_headers = Text(headers);
}

void CBeforeNavigate2::SetTarget(const std::wstring& target) {
    ::VariantClear(&m_target);
    m_target = Text(target);
}

HRESULT CBeforeNavigate2::Fire(SimpleBrowser& host) {
    VARIANT args[7];
    ::VariantInit(&args[0]);
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &m_cancel;
    args[1] = RefTo(&m_headers);
    args[2] = RefTo(&m_postData);
    args[3] = RefTo(&m_target);
    args[4] = RefTo(&m_flags);
    args[5] = RefTo(&m_url);
    ::VariantInit(&args[6]);
    args[6].vt = VT_DISPATCH;
    args[6].pdispVal = m_frame;
    return FireEvent(host, DISPID_BEFORENAVIGATE2, args, 7);
}

VARIANT ByteArray(const std::string& bytes) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_ARRAY | VT_UI1;
    v.parray = ::SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    void* data = nullptr;
    ::SafeArrayAccessData(v.parray, &data);
    if (!bytes.empty())
        std::memcpy(data, bytes.data(), bytes.size());
    ::SafeArrayUnaccessData(v.parray);
    return v;
}

VARIANT_BOOL FireNavigateError(SimpleBrowser& host, IDispatch* frame, const std::wstring& url,
                               long status) {
    VARIANT address = Text(url), target = Text(L""), code;
    ::VariantInit(&code);
    code.vt = VT_I4;
    code.lVal = status;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT args[5];
    ::VariantInit(&args[0]);
    args[0].vt = VT_BYREF | VT_BOOL;
    args[0].pboolVal = &cancel;
    args[1] = RefTo(&code);
    args[2] = RefTo(&target);
    args[3] = RefTo(&address);
    ::VariantInit(&args[4]);
    args[4].vt = VT_DISPATCH;
    args[4].pdispVal = frame;
    FireEvent(host, DISPID_NAVIGATEERROR, args, 5);
    ::VariantClear(&address);
    ::VariantClear(&target);
    return cancel;
}
