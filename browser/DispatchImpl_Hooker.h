#pragma once
// CDispatchImpl_Hooker: the object pages reach as window.external. A late-bound
// automation object over a table of commands filled at run time; each call
// converts its arguments to narrow text and runs the command's handler.

#include <oaidl.h>

#include <cstdint>
#include <map>
#include <string>

// A command's handler: the owner's context, the arguments as narrow texts in
// script order (a slot may be null) and their count. Returns the result text,
// which must stay valid until the handler has returned, or null for none.
using ScriptCommandFn = const char* (*)(void* context, const char* const* args, int argCount);
// Whether a call may reach the commands now, given the owner's context.
using ScriptCallGate = bool (*)(void* context);

struct ScriptCommand {
    const char* name; // kept, not copied: must outlive the object
    std::int32_t argCount;
    ScriptCommandFn handler;
};

class CDispatchImpl_Hooker final : public IDispatch {
public:
    // The most arguments a command can take.
    static constexpr std::int32_t kMaxArgs = 256;
    // DISPID of the first command registered; the others follow in order.
    static constexpr DISPID kFirstDispid = 1000;

    CDispatchImpl_Hooker() = default;
    ~CDispatchImpl_Hooker();
    CDispatchImpl_Hooker(const CDispatchImpl_Hooker&) = delete;
    CDispatchImpl_Hooker& operator=(const CDispatchImpl_Hooker&) = delete;

    // Adds a command under the next DISPID. False, changing nothing, for a
    // name already present (the first registration wins) and for a record
    // that cannot be called: no name, no handler, or a count outside 0..256.
    bool AddCommand(const ScriptCommand& command);

    // IUnknown. The count is nominal: AddRef and Release do nothing.
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
    HRESULT RunCommand(DISPID dispid, DISPPARAMS* params, VARIANT* result);
    HRESULT HandOverResult(const char* text, VARIANT* result);
    bool CallsAllowed() const;

    std::int32_t m_refCount = 1;
    std::map<DISPID, ScriptCommand> m_commands;
    std::map<std::string, DISPID> m_dispids;
    BSTR m_result = nullptr;

public:
    // Passed unchanged to every handler; the owner sets it.
    void* m_context = nullptr;
    // Asked before every name look-up and call, when set: while it answers
    // false the object behaves as one without commands (E_FAIL, as for an
    // unknown name), so the caller cannot even learn which names exist.
    ScriptCallGate m_gate = nullptr;
    // Code page of the narrow texts: the thread's ANSI code page unless the
    // owner chooses another.
    UINT m_codePage = CP_THREAD_ACP;
};
