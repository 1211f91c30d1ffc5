#pragma once
// CWnd: a C++ object bound to a window handle. The object receives the
// window's messages through its message map; the handle map finds the object
// of a handle.

#include "Afx.h"
#include "EventSinkMap.h"
#include "MessageMap.h"

#include <string>

class COleControlSite;

class CWnd {
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }

    // The object bound to hWnd; for a window without one, a temporary object
    // that lives until the thread's message loop next goes idle.
    static CWnd* FromHandle(HWND hWnd);
    // The object bound to hWnd, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);
    // Frees the temporary objects made by FromHandle, unless a window
    // procedure of this thread is running (its caller may hold one).
    static void DeleteTempMap();

    // Creation. The object is bound to its window before the first message.
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  const RECT& rect, CWnd* parent, UINT id);
    // A child window (WS_CHILD is added).
    BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                CWnd* parent, UINT id);
    virtual BOOL DestroyWindow();

    // Binding to an existing window: Attach only maps the handle; SubclassWindow
    // also routes the window's messages through this object.
    BOOL Attach(HWND hWnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);

    // Message processing.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message now being handled.
    LRESULT Default();
    // The message now being handled on this thread.
    static const MSG* GetCurrentMessage();
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Offers msg to PreTranslateMessage of the objects from msg->hwnd up to
    // its top-level window; true when one of them handled it.
    static BOOL WalkPreTranslateTree(MSG* msg);

    static const MessageMap* ThisMessageMap();
    virtual const MessageMap* GetMessageMap() const { return ThisMessageMap(); }

    // ActiveX control hosting (after AfxEnableControlContainer): creates this
    // window as the container of a new control `clsid`, which fills it, and
    // routes the control's events to the event sink map of `parent`. On
    // failure nothing is left: no window, no control.
    BOOL CreateControl(REFCLSID clsid, const char* windowName, DWORD style, const RECT& rect,
                       CWnd* parent, UINT id);
    // The hosted control (no reference added), or null.
    IUnknown* GetControlUnknown() const;
    // The site of the hosted control, or null.
    COleControlSite* GetControlSite() const { return m_pCtrlSite; }
    static const EventSinkMap* ThisEventSinkMap();
    virtual const EventSinkMap* GetEventSinkMap() const { return ThisEventSinkMap(); }
    // Runs the event sink map entry of this window for event `dispid` of its
    // control `id`; DISP_E_MEMBERNOTFOUND when there is none.
    HRESULT OnControlEvent(UINT id, DISPID dispid, DISPPARAMS* params);

    // Thin operations.
    CWnd* GetParent() const;
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    LRESULT SendMessage(UINT m, WPARAM w = 0, LPARAM l = 0) const;
    BOOL PostMessage(UINT m, WPARAM w = 0, LPARAM l = 0) const;
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const RECT& rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags);
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
    BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT flags = 0);
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    void ScreenToClient(RECT* rect) const;
    void ClientToScreen(RECT* rect) const;
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
    std::string GetWindowText() const;
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);

    // The framework's colour handling: default processing of the message.
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);

protected:
    // Called after the object is bound and before its window procedure is replaced.
    virtual void PreSubclassWindow() {}
    // Called after the window's last message; the object is no longer bound.
    virtual void PostNcDestroy() {}
    // Finds and runs this object's map entry for the message; false when none.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Offers a control notification to the child it came from (reflection).
    BOOL ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    WNDPROC m_pfnSuper = nullptr;

private:
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend class CWndCreationHook;
    LRESULT DispatchWithState(UINT message, WPARAM wParam, LPARAM lParam);
    void OnNcDestroyCleanup();
    void SubclassProcedure();
    const MessageMapEntry* FindHandler(UINT message, UINT code, UINT id) const;
    void ReleaseControlSite();

    COleControlSite* m_pCtrlSite = nullptr; // one reference
};

// The window procedure of every window bound to an object.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

#include "Gdi.h"

template <class T>
LRESULT msgmap_detail::CtlColorCracker::Call(T* t, HBRUSH (T::*f)(CDC*, CWnd*, UINT), WPARAM w,
                                             LPARAM l) {
    CDC dc;
    dc.Attach(reinterpret_cast<HDC>(w));
    UINT kind = CWnd::GetCurrentMessage()->message - WM_CTLCOLORMSGBOX;
    return reinterpret_cast<LRESULT>(
        (t->*f)(&dc, CWnd::FromHandle(reinterpret_cast<HWND>(l)), kind));
}
