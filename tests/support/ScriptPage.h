#pragma once
// A test "page": Wine's JScript engine, driven through IActiveScript, with a
// given object as its named item `external`, running the statements a page
// would contain.

#include <activscp.h>

#include <optional>
#include <string>
#include <vector>

class CScriptPage final : public IActiveScriptSite {
public:
    explicit CScriptPage(IDispatch* external);
    ~CScriptPage();
    CScriptPage(const CScriptPage&) = delete;
    CScriptPage& operator=(const CScriptPage&) = delete;

    // Whether the engine exists and is connected.
    bool Ready() const { return m_parse != nullptr; }
    // Runs statements; the result of ParseScriptText.
    HRESULT Run(const std::wstring& statements);
    // The value of an expression as text (String(value)), or nothing on failure.
    std::optional<std::wstring> Eval(const std::wstring& expression);

    // The error code of every uncaught script error, in order.
    std::vector<HRESULT> m_errors;

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IActiveScriptSite
    STDMETHODIMP GetLCID(LCID* lcid) override;
    STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** item,
                             ITypeInfo** info) override;
    STDMETHODIMP GetDocVersionString(BSTR* version) override;
    STDMETHODIMP OnScriptTerminate(const VARIANT* result, const EXCEPINFO* exception) override;
    STDMETHODIMP OnStateChange(SCRIPTSTATE state) override;
    STDMETHODIMP OnScriptError(IActiveScriptError* error) override;
    STDMETHODIMP OnEnterScript() override;
    STDMETHODIMP OnLeaveScript() override;

private:
    IDispatch* m_external;
    IActiveScript* m_engine = nullptr;
    IActiveScriptParse* m_parse = nullptr;
    LONG m_refCount = 1;
};

// The HRESULT as a script sees it in an exception's `number`.
std::wstring ScriptNumber(HRESULT hr);
