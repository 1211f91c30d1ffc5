#include "DispatchArgs.h"

#include "TextConversion.h"

CCallArgs::~CCallArgs() {
    for (VARIANT& v : m_args)
        ::VariantClear(&v);
}

CCallArgs& CCallArgs::Text(const std::wstring& text) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return Variant(v);
}

CCallArgs& CCallArgs::NullText() {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = nullptr;
    return Variant(v);
}

CCallArgs& CCallArgs::Int(LONG value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return Variant(v);
}

CCallArgs& CCallArgs::Double(double value) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_R8;
    v.dblVal = value;
    return Variant(v);
}

CCallArgs& CCallArgs::Null() {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_NULL;
    return Variant(v);
}

CCallArgs& CCallArgs::Variant(const VARIANT& value) {
    m_args.push_back(value);
    return *this;
}

DISPPARAMS* CCallArgs::Params() {
    m_reversed.assign(m_args.rbegin(), m_args.rend());
    m_params.rgvarg = m_reversed.empty() ? nullptr : m_reversed.data();
    m_params.cArgs = static_cast<UINT>(m_reversed.size());
    m_params.rgdispidNamedArgs = nullptr;
    m_params.cNamedArgs = 0;
    return &m_params;
}

HRESULT DispidOf(IDispatch* object, const std::wstring& name, DISPID* dispid) {
    std::wstring copy = name;
    LPOLESTR names[] = {copy.data()};
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, dispid);
}

HRESULT Call(IDispatch* object, DISPID dispid, CCallArgs& args, VARIANT* result) {
    return object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, args.Params(),
                          result, nullptr, nullptr);
}

HRESULT CallByName(IDispatch* object, const std::wstring& name, CCallArgs& args, VARIANT* result) {
    DISPID dispid = 0;
    HRESULT hr = DispidOf(object, name, &dispid);
    return FAILED(hr) ? hr : Call(object, dispid, args, result);
}

std::string Cp936(const std::wstring& text) {
    return ToNarrow(text, 936);
}

STDMETHODIMP CValueObject::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch)
        return E_NOINTERFACE;
    *ppv = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CValueObject::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) CValueObject::Release() {
    return static_cast<ULONG>(::InterlockedDecrement(&m_refCount));
}

STDMETHODIMP CValueObject::GetTypeInfoCount(UINT* count) {
    if (count)
        *count = 0;
    return S_OK;
}

STDMETHODIMP CValueObject::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

STDMETHODIMP CValueObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP CValueObject::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                  EXCEPINFO*, UINT*) {
    if (dispid != DISPID_VALUE || !m_hasValue)
        return DISP_E_MEMBERNOTFOUND;
    if (result) {
        result->vt = VT_BSTR;
        result->bstrVal = ::SysAllocStringLen(m_value.data(), static_cast<UINT>(m_value.size()));
    }
    return S_OK;
}
