#include "ScriptPage.h"

#include <string>

namespace {

// {F414C260-6AC0-11CF-B6D1-00AA00BBBB58}
constexpr CLSID kJScript = {
    0xF414C260, 0x6AC0, 0x11CF, {0xB6, 0xD1, 0x00, 0xAA, 0x00, 0xBB, 0xBB, 0x58}};

} // namespace

CScriptPage::CScriptPage(IDispatch* external) : m_external(external) {
    if (FAILED(::CoCreateInstance(kJScript, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IActiveScript),
                                  reinterpret_cast<void**>(&m_engine))))
        return;
    IActiveScriptParse* parse = nullptr;
    if (FAILED(m_engine->QueryInterface(__uuidof(IActiveScriptParse),
                                        reinterpret_cast<void**>(&parse))))
        return;
    if (SUCCEEDED(m_engine->SetScriptSite(this)) && SUCCEEDED(parse->InitNew()) &&
        SUCCEEDED(m_engine->AddNamedItem(L"external", SCRIPTITEM_ISVISIBLE)) &&
        SUCCEEDED(m_engine->SetScriptState(SCRIPTSTATE_CONNECTED))) {
        m_parse = parse;
        return;
    }
    parse->Release();
}

CScriptPage::~CScriptPage() {
    if (m_parse)
        m_parse->Release();
    if (m_engine) {
        m_engine->Close();
        m_engine->Release();
    }
}

HRESULT CScriptPage::Run(const std::wstring& statements) {
    if (!m_parse)
        return E_UNEXPECTED;
    EXCEPINFO exception{};
    HRESULT hr = m_parse->ParseScriptText(statements.c_str(), nullptr, nullptr, nullptr, 0, 0, 0,
                                          nullptr, &exception);
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    return hr;
}

std::optional<std::wstring> CScriptPage::Eval(const std::wstring& expression) {
    if (!m_parse)
        return std::nullopt;
    VARIANT value;
    ::VariantInit(&value);
    EXCEPINFO exception{};
    std::wstring text = L"String(" + expression + L")";
    HRESULT hr = m_parse->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr, 0, 0,
                                          SCRIPTTEXT_ISEXPRESSION, &value, &exception);
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    std::optional<std::wstring> result;
    if (SUCCEEDED(hr) && value.vt == VT_BSTR)
        result = std::wstring(value.bstrVal ? value.bstrVal : L"", ::SysStringLen(value.bstrVal));
    ::VariantClear(&value);
    return result;
}

STDMETHODIMP CScriptPage::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != __uuidof(IActiveScriptSite))
        return E_NOINTERFACE;
    *ppv = static_cast<IActiveScriptSite*>(this);
    AddRef();
    return S_OK;
}

// The page lives on the test's stack; the engine's references only count.
STDMETHODIMP_(ULONG) CScriptPage::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) CScriptPage::Release() {
    return static_cast<ULONG>(::InterlockedDecrement(&m_refCount));
}

STDMETHODIMP CScriptPage::GetLCID(LCID*) {
    return E_NOTIMPL;
}

STDMETHODIMP CScriptPage::GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item,
                                      ITypeInfo** info) {
    if (item)
        *item = nullptr;
    if (info)
        *info = nullptr;
    if (!name || std::wstring(name) != L"external")
        return TYPE_E_ELEMENTNOTFOUND;
    if ((mask & SCRIPTINFO_IUNKNOWN) && item) {
        if (!m_external)
            return E_FAIL;
        *item = m_external;
        m_external->AddRef();
    }
    return (mask & SCRIPTINFO_ITYPEINFO) ? TYPE_E_ELEMENTNOTFOUND : S_OK;
}

STDMETHODIMP CScriptPage::GetDocVersionString(BSTR*) {
    return E_NOTIMPL;
}

STDMETHODIMP CScriptPage::OnScriptTerminate(const VARIANT*, const EXCEPINFO*) {
    return S_OK;
}

STDMETHODIMP CScriptPage::OnStateChange(SCRIPTSTATE) {
    return S_OK;
}

STDMETHODIMP CScriptPage::OnScriptError(IActiveScriptError* error) {
    EXCEPINFO exception{};
    if (error && SUCCEEDED(error->GetExceptionInfo(&exception))) {
        m_errors.push_back(exception.scode);
        ::SysFreeString(exception.bstrSource);
        ::SysFreeString(exception.bstrDescription);
        ::SysFreeString(exception.bstrHelpFile);
    }
    return S_OK;
}

STDMETHODIMP CScriptPage::OnEnterScript() {
    return S_OK;
}

STDMETHODIMP CScriptPage::OnLeaveScript() {
    return S_OK;
}

std::wstring ScriptNumber(HRESULT hr) {
    return std::to_wstring(static_cast<long>(hr));
}
