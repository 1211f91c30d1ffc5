#pragma once
// Message maps: each window class lists the messages it handles in a static
// table chained to its base class's table. A message with no entry in the
// whole chain goes to default processing.
//
//   const MessageMap* CMyDlg::ThisMessageMap() {
//       static const MessageMapEntry entries[] = {
//           OnMessage<WM_PAINT, &CMyDlg::OnPaint>(),
//           OnCommand<BN_CLICKED, IDC_CLOSE, &CMyDlg::OnBtnClose>(),
//       };
//       static const MessageMap map{CDialog::ThisMessageMap(), entries};
//       return &map;
//   }
//
// Handlers get typed arguments through the small "crackers" below; a handler
// that wants default processing as well calls CWnd::Default().

#include "Afx.h"

#include <span>

class CWnd;
class CDC;

using MessageHandler = LRESULT (*)(CWnd* self, WPARAM wParam, LPARAM lParam);

// Messages a parent reflects to the child control they concern are seen by
// the child as WM_REFLECT_BASE + message.
constexpr UINT WM_REFLECT_BASE = 0xBC00;
// Pseudo message under which all WM_CTLCOLOR* messages are listed.
constexpr UINT WM_CTLCOLOR = 0x0019;

struct MessageMapEntry {
    UINT message; // window message, WM_COMMAND, WM_NOTIFY or a reflected message
    UINT code;    // notification code of WM_COMMAND and WM_NOTIFY entries
    UINT idFirst; // control ID range of WM_COMMAND and WM_NOTIFY entries
    UINT idLast;
    MessageHandler handler;
};

struct MessageMap {
    const MessageMap* base;
    std::span<const MessageMapEntry> entries;
};

namespace msgmap_detail {

template <class> struct MemberOf;
template <class T, class R, class... A> struct MemberOf<R (T::*)(A...)> { using type = T; };

inline POINT PointFrom(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// Handlers every message may use: raw (wParam, lParam) ones returning
// LRESULT, and ones taking nothing.
struct RawCracker {
    template <class T>
    static LRESULT Call(T* t, LRESULT (T::*f)(WPARAM, LPARAM), WPARAM w, LPARAM l) {
        return (t->*f)(w, l);
    }
    template <class T> static LRESULT Call(T* t, void (T::*f)(), WPARAM, LPARAM) {
        (t->*f)();
        return 0;
    }
    template <class T> static LRESULT Call(T* t, BOOL (T::*f)(), WPARAM, LPARAM) {
        return (t->*f)();
    }
};

template <UINT Msg> struct Cracker : RawCracker {};

template <> struct Cracker<WM_SIZE> : RawCracker {
    using RawCracker::Call;
    template <class T> static LRESULT Call(T* t, void (T::*f)(UINT, int, int), WPARAM w, LPARAM l) {
        (t->*f)(static_cast<UINT>(w), static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l)));
        return 0;
    }
};

template <> struct Cracker<WM_SYSCOMMAND> : RawCracker {
    using RawCracker::Call;
    template <class T> static LRESULT Call(T* t, void (T::*f)(UINT, LPARAM), WPARAM w, LPARAM l) {
        (t->*f)(static_cast<UINT>(w), l);
        return 0;
    }
};

// Mouse messages: key flags and client point.
struct MouseCracker : RawCracker {
    using RawCracker::Call;
    template <class T> static LRESULT Call(T* t, void (T::*f)(UINT, POINT), WPARAM w, LPARAM l) {
        (t->*f)(static_cast<UINT>(w), PointFrom(l));
        return 0;
    }
};
template <> struct Cracker<WM_MOUSEMOVE> : MouseCracker {};
template <> struct Cracker<WM_LBUTTONDOWN> : MouseCracker {};
template <> struct Cracker<WM_LBUTTONUP> : MouseCracker {};
template <> struct Cracker<WM_LBUTTONDBLCLK> : MouseCracker {};
template <> struct Cracker<WM_RBUTTONDOWN> : MouseCracker {};
template <> struct Cracker<WM_RBUTTONUP> : MouseCracker {};

// WM_CTLCOLOR*: HBRUSH handler(CDC* dc, CWnd* control, UINT kind), kind being
// CTLCOLOR_MSGBOX .. CTLCOLOR_STATIC. Defined in Gdi.h's companion below.
struct CtlColorCracker : RawCracker {
    using RawCracker::Call;
    template <class T>
    static LRESULT Call(T* t, HBRUSH (T::*f)(CDC*, CWnd*, UINT), WPARAM w, LPARAM l);
};
template <> struct Cracker<WM_CTLCOLOR> : CtlColorCracker {};
template <> struct Cracker<WM_REFLECT_BASE + WM_CTLCOLOR> : CtlColorCracker {};

template <UINT Msg, auto F> LRESULT Thunk(CWnd* self, WPARAM w, LPARAM l) {
    using T = typename MemberOf<decltype(F)>::type;
    return Cracker<Msg>::Call(static_cast<T*>(self), F, w, l);
}

template <auto F> LRESULT CommandThunk(CWnd* self, WPARAM, LPARAM) {
    using T = typename MemberOf<decltype(F)>::type;
    (static_cast<T*>(self)->*F)();
    return 0;
}

template <auto F> LRESULT NotifyThunk(CWnd* self, WPARAM, LPARAM l) {
    using T = typename MemberOf<decltype(F)>::type;
    LRESULT result = 0;
    (static_cast<T*>(self)->*F)(reinterpret_cast<NMHDR*>(l), &result);
    return result;
}

} // namespace msgmap_detail

// A window message, with its arguments cracked for the handler's signature.
template <UINT Msg, auto F> constexpr MessageMapEntry OnMessage() {
    return {Msg, 0, 0, 0, &msgmap_detail::Thunk<Msg, F>};
}

// A WM_COMMAND notification `Code` (BN_CLICKED, ...) from controls First..Last.
template <UINT Code, UINT First, auto F, UINT Last = First> constexpr MessageMapEntry OnCommand() {
    return {WM_COMMAND, Code, First, Last, &msgmap_detail::CommandThunk<F>};
}

// A WM_NOTIFY notification `Code` from controls First..Last:
// void handler(NMHDR*, LRESULT* result).
template <UINT Code, UINT First, auto F, UINT Last = First> constexpr MessageMapEntry OnNotify() {
    return {WM_NOTIFY, Code, First, Last, &msgmap_detail::NotifyThunk<F>};
}

// A message the parent reflected back to this control (WM_DRAWITEM, ...).
template <UINT Msg, auto F> constexpr MessageMapEntry OnReflected() {
    return {WM_REFLECT_BASE + Msg, 0, 0, 0, &msgmap_detail::Thunk<WM_REFLECT_BASE + Msg, F>};
}

// A WM_COMMAND notification `Code` that the parent reflected back to this control.
template <UINT Code, auto F> constexpr MessageMapEntry OnReflectedCommand() {
    return {WM_REFLECT_BASE + WM_COMMAND, Code, 0, 0, &msgmap_detail::CommandThunk<F>};
}
