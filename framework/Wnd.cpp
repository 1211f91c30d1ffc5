#include "Wnd.h"

#include "WinApp.h"
#include "WndCreationHook.h"

#include <memory>
#include <unordered_map>

namespace {

// Windows are used from the thread that created them, so each thread keeps
// its own maps, as it keeps its own message queue.
thread_local std::unordered_map<HWND, CWnd*> t_permanent;
thread_local std::unordered_map<HWND, std::unique_ptr<CWnd>> t_temporary;
thread_local MSG t_currentMessage{};
// How many window procedures of ours are running on this thread.
thread_local int t_dispatchDepth = 0;

} // namespace

CWndCreationHook::CWndCreationHook(CWnd* wnd) : m_previous(s_pending) {
    s_pending = wnd;
    m_hook =
        ::SetWindowsHookExA(WH_CBT, &CWndCreationHook::Filter, nullptr, ::GetCurrentThreadId());
}

CWndCreationHook::~CWndCreationHook() {
    if (m_hook)
        ::UnhookWindowsHookEx(m_hook);
    s_pending = m_previous;
}

LRESULT CALLBACK CWndCreationHook::Filter(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && s_pending) {
        CWnd* wnd = s_pending;
        s_pending = nullptr;
        wnd->Attach(reinterpret_cast<HWND>(wParam));
        wnd->PreSubclassWindow();
        wnd->SubclassProcedure();
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

thread_local CWnd* CWndCreationHook::s_pending = nullptr;

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (!wnd)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    LRESULT result = 0;
    ++t_dispatchDepth;
    try {
        result = wnd->DispatchWithState(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's code; the message is dropped.
        result = 0;
    }
    --t_dispatchDepth;
    if (message == WM_NCDESTROY)
        wnd->OnNcDestroyCleanup();
    return result;
}

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
    if (m_hWnd)
        Detach();
    ReleaseControlSite();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    auto it = t_permanent.find(hWnd);
    return it == t_permanent.end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (!hWnd)
        return nullptr;
    if (CWnd* wnd = FromHandlePermanent(hWnd))
        return wnd;
    auto& temp = t_temporary[hWnd];
    if (!temp) {
        temp = std::make_unique<CWnd>();
        temp->m_hWnd = hWnd;
    }
    return temp.get();
}

void CWnd::DeleteTempMap() {
    // A handler further up the stack may still hold a temporary object.
    if (t_dispatchDepth > 0)
        return;
    for (auto& [hWnd, wnd] : t_temporary)
        wnd->m_hWnd = nullptr;
    t_temporary.clear();
}

BOOL CWnd::Attach(HWND hWnd) {
    if (!hWnd || m_hWnd)
        return FALSE;
    m_hWnd = hWnd;
    t_permanent[hWnd] = this;
    t_temporary.erase(hWnd);
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    if (hWnd) {
        auto it = t_permanent.find(hWnd);
        if (it != t_permanent.end() && it->second == this)
            t_permanent.erase(it);
    }
    m_hWnd = nullptr;
    return hWnd;
}

void CWnd::SubclassProcedure() {
    WNDPROC current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC));
    if (current == &AfxWndProc)
        return;
    m_pfnSuper = current;
    ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AfxWndProc));
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    SubclassProcedure();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return control ? SubclassWindow(control) : FALSE;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id) {
    HWND parentHandle = parent ? parent->m_hWnd : nullptr;
    HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND hWnd;
    {
        CWndCreationHook hook(this);
        hWnd = ::CreateWindowExA(exStyle, className, windowName, style, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, parentHandle, menu,
                                 AfxGetInstanceHandle(), nullptr);
    }
    if (!hWnd && m_hWnd) {
        // Creation was refused after the object was bound (WM_NCCREATE or
        // WM_CREATE failed); the window is already gone.
        Detach();
    }
    return hWnd != nullptr;
}

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id);
}

BOOL CWnd::DestroyWindow() {
    if (!m_hWnd)
        return FALSE;
    HWND hWnd = m_hWnd;
    bool permanent = FromHandlePermanent(hWnd) == this;
    BOOL result = ::DestroyWindow(hWnd);
    // A window that was only attached gets no WM_NCDESTROY through us.
    if (!permanent || m_hWnd == hWnd)
        Detach();
    return result;
}

namespace {

// Makes a message the current one until the object goes out of scope, then
// puts the previous one back, also when a handler throws: the handler of an
// outer message goes on with its own.
class CCurrentMessageScope {
public:
    CCurrentMessageScope(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
        : m_saved(t_currentMessage) {
        t_currentMessage.hwnd = hWnd;
        t_currentMessage.message = message;
        t_currentMessage.wParam = wParam;
        t_currentMessage.lParam = lParam;
    }
    ~CCurrentMessageScope() { t_currentMessage = m_saved; }
    CCurrentMessageScope(const CCurrentMessageScope&) = delete;
    CCurrentMessageScope& operator=(const CCurrentMessageScope&) = delete;

private:
    MSG m_saved;
};

} // namespace

LRESULT CWnd::DispatchWithState(UINT message, WPARAM wParam, LPARAM lParam) {
    CCurrentMessageScope current(m_hWnd, message, wParam, lParam);
    return WindowProc(message, wParam, lParam);
}

const MSG* CWnd::GetCurrentMessage() {
    return &t_currentMessage;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper)
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    const MSG& msg = t_currentMessage;
    return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

const MessageMap* CWnd::ThisMessageMap() {
    static const MessageMap map{nullptr, {}};
    return &map;
}

namespace {

bool IsControlColour(UINT message) {
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

// The child window a control notification is about, or null.
HWND NotifyingChild(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
        return reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
    case WM_DRAWITEM:
        return wParam ? reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    default:
        return IsControlColour(message) ? reinterpret_cast<HWND>(lParam) : nullptr;
    }
}

} // namespace

namespace {

// Notification code and control ID that WM_COMMAND and WM_NOTIFY entries are keyed on.
void NotificationKey(UINT message, WPARAM wParam, LPARAM lParam, UINT* code, UINT* id) {
    *code = 0;
    *id = 0;
    if (message == WM_COMMAND) {
        *code = HIWORD(wParam);
        *id = LOWORD(wParam);
    } else if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        *code = header->code;
        *id = static_cast<UINT>(header->idFrom);
    }
}

bool Matches(const MessageMapEntry& entry, UINT message, UINT code, UINT id) {
    if (entry.message != message)
        return false;
    if (message == WM_COMMAND || message == WM_NOTIFY)
        return entry.code == code && id >= entry.idFirst && id <= entry.idLast;
    if (message == WM_REFLECT_BASE + WM_COMMAND || message == WM_REFLECT_BASE + WM_NOTIFY)
        return entry.code == code;
    return true;
}

} // namespace

const MessageMapEntry* CWnd::FindHandler(UINT message, UINT code, UINT id) const {
    for (const MessageMap* map = GetMessageMap(); map; map = map->base)
        for (const MessageMapEntry& entry : map->entries)
            if (Matches(entry, message, code, id))
                return &entry;
    return nullptr;
}

BOOL CWnd::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    HWND child = NotifyingChild(message, wParam, lParam);
    if (!child || child == m_hWnd)
        return FALSE;
    CWnd* control = FromHandlePermanent(child);
    if (!control)
        return FALSE;
    UINT code = 0;
    UINT id = 0;
    NotificationKey(message, wParam, lParam, &code, &id);
    UINT reflected = WM_REFLECT_BASE + (IsControlColour(message) ? WM_CTLCOLOR : message);
    const MessageMapEntry* entry = control->FindHandler(reflected, code, id);
    if (!entry)
        return FALSE;
    *result = entry->handler(control, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (ReflectToChild(message, wParam, lParam, result))
        return TRUE;
    UINT code = 0;
    UINT id = 0;
    NotificationKey(message, wParam, lParam, &code, &id);
    UINT key = IsControlColour(message) ? WM_CTLCOLOR : message;
    const MessageMapEntry* entry = FindHandler(key, code, id);
    if (!entry)
        return FALSE;
    *result = entry->handler(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL CWnd::WalkPreTranslateTree(MSG* msg) {
    for (HWND hWnd = msg->hwnd; hWnd;) {
        if (CWnd* wnd = FromHandlePermanent(hWnd))
            if (wnd->PreTranslateMessage(msg))
                return TRUE;
        if (!(::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD))
            break; // the top-level window has been offered it
        hWnd = ::GetParent(hWnd);
    }
    return FALSE;
}

void CWnd::OnNcDestroyCleanup() {
    if (CWinApp* app = AfxGetApp(); app && app->m_pMainWnd == this) {
        // Destroying the main window ends the application.
        ::PostQuitMessage(0);
        app->m_pMainWnd = nullptr;
    }
    if (m_pfnSuper) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        m_pfnSuper = nullptr;
    }
    Detach();
    PostNcDestroy();
}

CWnd* CWnd::GetParent() const {
    return FromHandle(::GetParent(m_hWnd));
}

CWnd* CWnd::GetDlgItem(int id) const {
    return FromHandle(::GetDlgItem(m_hWnd, id));
}

LRESULT CWnd::SendMessage(UINT m, WPARAM w, LPARAM l) const {
    return ::SendMessageA(m_hWnd, m, w, l);
}

BOOL CWnd::PostMessage(UINT m, WPARAM w, LPARAM l) const {
    return ::PostMessageA(m_hWnd, m, w, l);
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint) {
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

void CWnd::MoveWindow(const RECT& rect, BOOL repaint) {
    MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

BOOL CWnd::SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, after ? after->m_hWnd : nullptr, x, y, cx, cy, flags);
}

DWORD CWnd::GetStyle() const {
    return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE));
}

DWORD CWnd::GetExStyle() const {
    return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE));
}

namespace {

BOOL ModifyLong(HWND hWnd, int index, DWORD remove, DWORD add, UINT flags) {
    DWORD style = static_cast<DWORD>(::GetWindowLongA(hWnd, index));
    DWORD changed = (style & ~remove) | add;
    if (style == changed)
        return FALSE;
    ::SetWindowLongA(hWnd, index, static_cast<LONG>(changed));
    if (flags)
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
    return TRUE;
}

} // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
    return ModifyLong(m_hWnd, GWL_STYLE, remove, add, flags);
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT flags) {
    return ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, flags);
}

void CWnd::ScreenToClient(RECT* rect) const {
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2);
}

void CWnd::ClientToScreen(RECT* rect) const {
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(rect), 2);
}

std::string CWnd::GetWindowText() const {
    int length = ::GetWindowTextLengthA(m_hWnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(m_hWnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
    return ::MessageBoxA(m_hWnd, text, caption, type);
}

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    thread_local std::unordered_map<std::string, std::string> registered;
    char name[96];
    wsprintfA(name, "Afx:%p:%x:%p:%p:%p", static_cast<void*>(AfxGetInstanceHandle()), classStyle,
              static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));
    auto [it, inserted] = registered.try_emplace(name, name);
    if (inserted) {
        WNDCLASSA wc{};
        wc.style = classStyle;
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.hIcon = icon;
        wc.lpszClassName = it->second.c_str();
        if (!::RegisterClassA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            registered.erase(it);
            return nullptr;
        }
    }
    return it->second.c_str();
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) {
    return reinterpret_cast<HBRUSH>(Default());
}
