#pragma once
// CWinApp: the one application object of a program. WinMain (in WinApp.cpp)
// runs InitInstance; when it returns FALSE the message loop is skipped and
// ExitInstance gives the exit code.

#include "Afx.h"

#include <string>

class CWnd;

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The application's own message loop, used only when InitInstance succeeds.
    virtual int Run();

    // Records the registry key name; the framework stores nothing under it.
    void SetRegistryKey(const char* key);

    // The main window: when it is destroyed a quit message is posted and this
    // reference is cleared.
    CWnd* m_pMainWnd = nullptr;
    std::string m_appName;
    std::string m_registryKey;
    HINSTANCE m_hInstance = nullptr;
};

// Pumps one message: PreTranslateMessage of the window tree, then dispatch.
// Returns false when the message was WM_QUIT; its exit code is then recorded.
bool AfxPumpMessage();
// wParam of the last WM_QUIT pumped on this thread (0 when none was).
int AfxGetQuitCode();

int AfxWinMain(HINSTANCE instance);
