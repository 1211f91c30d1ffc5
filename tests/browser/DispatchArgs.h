#pragma once
// Building automation calls the way a script engine makes them.

#include <oaidl.h>

#include <string>
#include <utility>
#include <vector>

// The arguments of one call, in script order; owns their VARIANTs.
class CCallArgs {
public:
    CCallArgs() = default;
    ~CCallArgs();
    CCallArgs(const CCallArgs&) = delete;
    CCallArgs& operator=(const CCallArgs&) = delete;

    CCallArgs& Text(const std::wstring& text);
    CCallArgs& NullText();
    CCallArgs& Int(LONG value);
    CCallArgs& Double(double value);
    CCallArgs& Null();
    // Takes ownership of `value`.
    CCallArgs& Variant(const VARIANT& value);

    // Automation's layout: the last argument first.
    DISPPARAMS* Params();
    // The argument `index` (script order) as it is now.
    const VARIANT& At(size_t index) const { return m_args[index]; }
    size_t Count() const { return m_args.size(); }

private:
    std::vector<VARIANT> m_args;
    std::vector<VARIANT> m_reversed;
    DISPPARAMS m_params{};
};

// GetIDsOfNames of one name: the DISPID, or the failure.
HRESULT DispidOf(IDispatch* object, const std::wstring& name, DISPID* dispid);
// Invoke as a method call; `result` may be null.
HRESULT Call(IDispatch* object, DISPID dispid, CCallArgs& args, VARIANT* result = nullptr);
// GetIDsOfNames, then Invoke.
HRESULT CallByName(IDispatch* object, const std::wstring& name, CCallArgs& args,
                   VARIANT* result = nullptr);

// Text in code page 936, written as UTF-16 in the tests.
std::string Cp936(const std::wstring& text);

// An object whose value (DISPID_VALUE) is a given text, or which has none;
// what a page passes when it passes an object. Lives on the test's stack.
class CValueObject final : public IDispatch {
public:
    explicit CValueObject(std::wstring value, bool hasValue = true)
        : m_value(std::move(value)), m_hasValue(hasValue) {}
    VARIANT AsArgument() {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_DISPATCH;
        v.pdispVal = this;
        AddRef();
        return v;
    }
    // How many references are held now (1 when nothing holds it).
    LONG References() const { return m_refCount; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

private:
    std::wstring m_value;
    bool m_hasValue;
    LONG m_refCount = 1;
};
