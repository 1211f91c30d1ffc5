#include "DispatchImpl_Hooker.h"

#include "TextConversion.h"

#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace {

// Narrow text of a script string, up to its first NUL as the handlers see
// it; null for a null string or one that cannot be converted.
std::optional<std::string> NarrowArgument(BSTR text, UINT codePage) {
    if (!text)
        return std::nullopt;
    std::wstring_view wide(text);
    std::string narrow = ToNarrow(wide, codePage);
    if (narrow.empty() && !wide.empty())
        return std::nullopt;
    return narrow;
}

// The text of one argument. False when it cannot be made a string; the
// caller's VARIANT keeps its value and references.
bool ArgumentText(VARIANT& arg, UINT codePage, std::optional<std::string>* text) {
    if (arg.vt == VT_BSTR) {
        *text = NarrowArgument(arg.bstrVal, codePage);
        return true;
    }
    VARIANT copy;
    ::VariantInit(&copy);
    if (FAILED(::VariantChangeType(&copy, &arg, 0, VT_BSTR)))
        return false;
    struct Clear {
        VARIANT* v;
        ~Clear() { ::VariantClear(v); }
    } clear{&copy};
    *text = NarrowArgument(copy.bstrVal, codePage);
    return true;
}

} // namespace

CDispatchImpl_Hooker::~CDispatchImpl_Hooker() {
    ::SysFreeString(m_result);
    m_result = nullptr;
    m_commands.clear();
    m_dispids.clear();
}

bool CDispatchImpl_Hooker::AddCommand(const ScriptCommand& command) {
    if (!command.name || !command.handler || command.argCount < 0 || command.argCount > kMaxArgs)
        return false;
    std::string name = command.name;
    if (m_dispids.count(name))
        return false;
    DISPID dispid = kFirstDispid + static_cast<DISPID>(m_dispids.size());
    m_commands.emplace(dispid, command);
    m_dispids.emplace(std::move(name), dispid);
    return true;
}

STDMETHODIMP CDispatchImpl_Hooker::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch)
        return E_NOINTERFACE;
    *ppv = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CDispatchImpl_Hooker::AddRef() {
    return 0;
}

STDMETHODIMP_(ULONG) CDispatchImpl_Hooker::Release() {
    return 0;
}

STDMETHODIMP CDispatchImpl_Hooker::GetTypeInfoCount(UINT*) {
    return E_NOTIMPL;
}

STDMETHODIMP CDispatchImpl_Hooker::GetTypeInfo(UINT, LCID, ITypeInfo**) {
    return E_NOTIMPL;
}

STDMETHODIMP CDispatchImpl_Hooker::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                                 DISPID* dispids) {
    // Only the first name is resolved; a name that cannot be read or
    // converted resolves to nothing, like an unknown one.
    if (!names || count == 0 || !names[0] || !dispids || !CallsAllowed())
        return E_FAIL;
    try {
        std::wstring_view wide(names[0]);
        std::string name = ToNarrow(wide, m_codePage);
        if (name.empty() && !wide.empty())
            return E_FAIL;
        auto found = m_dispids.find(name);
        if (found == m_dispids.end())
            return E_FAIL;
        dispids[0] = found->second;
        return S_OK;
    } catch (...) {
        return E_FAIL;
    }
}

STDMETHODIMP CDispatchImpl_Hooker::Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params,
                                          VARIANT* result, EXCEPINFO*, UINT*) {
    try {
        return RunCommand(dispid, params, result);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT CDispatchImpl_Hooker::RunCommand(DISPID dispid, DISPPARAMS* params, VARIANT* result) {
    auto found = m_commands.find(dispid);
    if (found == m_commands.end() || !CallsAllowed())
        return E_FAIL;
    // A copy: a handler's nested calls may register further commands.
    const ScriptCommand command = found->second;
    const auto count = static_cast<size_t>(command.argCount);
    if (!params || params->cArgs != count || (count > 0 && !params->rgvarg))
        return E_FAIL;

    // Automation passes the arguments last first; slot 0 is the first written.
    // Texts and slots belong to this call, so nested calls cannot disturb them.
    std::vector<std::optional<std::string>> texts(count);
    std::vector<const char*> slots(count, nullptr);
    for (size_t k = 0; k < count; ++k) {
        if (!ArgumentText(params->rgvarg[count - 1 - k], m_codePage, &texts[k]))
            return E_FAIL;
        if (texts[k])
            slots[k] = texts[k]->c_str();
    }

    const char* text = command.handler(m_context, slots.data(), command.argCount);
    if (!text || !result)
        return S_OK;
    return HandOverResult(text, result);
}

bool CDispatchImpl_Hooker::CallsAllowed() const {
    return !m_gate || m_gate(m_context);
}

HRESULT CDispatchImpl_Hooker::HandOverResult(const char* text, VARIANT* result) {
    ::SysFreeString(m_result);
    m_result = nullptr;
    std::wstring wide = ToWide(text, m_codePage);
    m_result = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!m_result)
        return E_OUTOFMEMORY;
    result->vt = VT_BSTR;
    result->bstrVal = std::exchange(m_result, nullptr);
    return S_OK;
}
