#pragma once
// Event sink maps: a window that hosts ActiveX controls lists the events it
// handles, per control ID and DISPID, in a static table chained to its base
// class's table, as message maps do. An event with no entry is ignored.
//
//   const EventSinkMap* CMyHost::ThisEventSinkMap() {
//       static const EventSinkEntry entries[] = {
//           OnEvent<IDC_BROWSER, DISPID_TITLECHANGE, &CMyHost::OnTitleChange>(),
//       };
//       static const EventSinkMap map{CWnd::ThisEventSinkMap(), entries};
//       return &map;
//   }
//
// Handlers return void and take typed parameters in the event's order; the
// adapters below take them from the event's arguments:
//   IDispatch*    VT_DISPATCH (also by reference), or null for VT_EMPTY/VT_NULL
//   VARIANT*      the VARIANT a VT_BYREF|VT_VARIANT argument refers to, else the argument
//   VARIANT_BOOL* VT_BYREF|VT_BOOL, or null for VT_EMPTY/VT_NULL
//   long          VT_I4, or anything that converts to it
//   const char*   narrow text (thread ANSI code page) of a string, or of anything
//                 that converts to one; null for a null string, VT_EMPTY or VT_NULL
// An event with another argument count, or an argument that fits none of
// these, does not reach the handler.

#include "MessageMap.h"
#include "TextConversion.h"

#include <windows.h>

#include <span>
#include <string>
#include <tuple>
#include <utility>

class CWnd;

using EventHandler = HRESULT (*)(CWnd* self, DISPPARAMS* params);

struct EventSinkEntry {
    UINT controlId;
    DISPID dispid;
    EventHandler handler;
};

struct EventSinkMap {
    const EventSinkMap* base;
    std::span<const EventSinkEntry> entries;
};

namespace evsink_detail {

inline bool IsNothing(const VARIANT& v) {
    return v.vt == VT_EMPTY || v.vt == VT_NULL;
}

template <class T> struct Arg;

template <> struct Arg<IDispatch*> {
    explicit Arg(const VARIANT& v) {
        if (v.vt == VT_DISPATCH)
            m_value = v.pdispVal;
        else if (v.vt == (VT_BYREF | VT_DISPATCH))
            m_value = v.ppdispVal ? *v.ppdispVal : nullptr;
        else
            m_ok = IsNothing(v);
    }
    bool Ok() const { return m_ok; }
    IDispatch* Get() const { return m_value; }

private:
    IDispatch* m_value = nullptr;
    bool m_ok = true;
};

template <> struct Arg<VARIANT*> {
    explicit Arg(VARIANT& v) : m_value(v.vt == (VT_BYREF | VT_VARIANT) ? v.pvarVal : &v) {}
    bool Ok() const { return true; }
    VARIANT* Get() const { return m_value; }

private:
    VARIANT* m_value;
};

template <> struct Arg<VARIANT_BOOL*> {
    explicit Arg(const VARIANT& v) {
        if (v.vt == (VT_BYREF | VT_BOOL))
            m_value = v.pboolVal;
        else
            m_ok = IsNothing(v);
    }
    bool Ok() const { return m_ok; }
    VARIANT_BOOL* Get() const { return m_value; }

private:
    VARIANT_BOOL* m_value = nullptr;
    bool m_ok = true;
};

template <> struct Arg<long> {
    explicit Arg(VARIANT& v) {
        if (v.vt == VT_I4) {
            m_value = v.lVal;
            return;
        }
        VARIANT converted;
        ::VariantInit(&converted);
        m_ok = SUCCEEDED(::VariantChangeType(&converted, &v, 0, VT_I4));
        if (m_ok)
            m_value = converted.lVal;
        ::VariantClear(&converted);
    }
    bool Ok() const { return m_ok; }
    long Get() const { return m_value; }

private:
    long m_value = 0;
    bool m_ok = true;
};

template <> struct Arg<const char*> {
    explicit Arg(VARIANT& v) {
        if (IsNothing(v))
            return;
        if (v.vt == VT_BSTR) {
            Take(v.bstrVal);
            return;
        }
        VARIANT converted;
        ::VariantInit(&converted);
        m_ok = SUCCEEDED(::VariantChangeType(&converted, &v, 0, VT_BSTR));
        if (m_ok)
            Take(converted.bstrVal);
        ::VariantClear(&converted);
    }
    Arg(const Arg&) = delete;
    Arg& operator=(const Arg&) = delete;
    bool Ok() const { return m_ok; }
    const char* Get() const { return m_null ? nullptr : m_text.c_str(); }

private:
    void Take(BSTR text) {
        m_null = text == nullptr;
        m_text = BstrToNarrow(text);
    }
    std::string m_text;
    bool m_null = true;
    bool m_ok = true;
};

// Automation passes arguments last first: parameter I is rgvarg[N - 1 - I].
template <class T, class... A, size_t... I>
HRESULT CallWith(T* self, void (T::*handler)(A...), DISPPARAMS* params, std::index_sequence<I...>) {
    constexpr UINT count = sizeof...(A);
    if (!params || params->cArgs != count || (count > 0 && !params->rgvarg))
        return DISP_E_BADPARAMCOUNT;
    [[maybe_unused]] VARIANT* args = params->rgvarg;
    [[maybe_unused]] std::tuple<Arg<A>...> converted(args[count - 1 - I]...);
    if (!(std::get<I>(converted).Ok() && ...))
        return DISP_E_TYPEMISMATCH;
    (self->*handler)(std::get<I>(converted).Get()...);
    return S_OK;
}

template <class T, class... A> constexpr std::index_sequence_for<A...> Indices(void (T::*)(A...)) {
    return {};
}

template <auto F> HRESULT Thunk(CWnd* self, DISPPARAMS* params) {
    using T = typename msgmap_detail::MemberOf<decltype(F)>::type;
    return CallWith(static_cast<T*>(self), F, params, Indices(F));
}

} // namespace evsink_detail

// Event `Dispid` of the hosted control whose control ID is `Id`.
template <UINT Id, DISPID Dispid, auto F> constexpr EventSinkEntry OnEvent() {
    return {Id, Dispid, &evsink_detail::Thunk<F>};
}
