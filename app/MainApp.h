#pragma once
// The application object: prepares the process, runs the login window's
// modal loop inside InitInstance and never enters a message loop of its own.

#include "WinApp.h"

#include <cstdint>

class CMainApp : public CWinApp {
public:
    CMainApp();
    ~CMainApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

protected:
    // Runs the program's windows once the process is prepared; returns when
    // their modal loops have ended. The client runs the login window.
    virtual void RunWindows();
};

// Token of the running GDI+, from start-up until ExitInstance.
extern ULONG_PTR g_gdiplusToken;
