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

private:
    // Runs the login window modally; returns when its loop has ended.
    void RunLoginWindow();
};

// Token of the running GDI+, from start-up until ExitInstance.
extern ULONG_PTR g_gdiplusToken;
