#pragma once
// Binds the object being created to the first window the thread creates
// while the hook is installed, before that window's first message.

#include "Wnd.h"

class CWndCreationHook {
public:
    explicit CWndCreationHook(CWnd* wnd);
    ~CWndCreationHook();
    CWndCreationHook(const CWndCreationHook&) = delete;
    CWndCreationHook& operator=(const CWndCreationHook&) = delete;

private:
    static LRESULT CALLBACK Filter(int code, WPARAM wParam, LPARAM lParam);

    static thread_local CWnd* s_pending;
    CWnd* m_previous;
    HHOOK m_hook;
};
