#pragma once
// Finds the client's login window in a child process, as a user sees it.

#include "ChildProcess.h"

#include <windows.h>

// The backdrop and the content window on top of it.
struct LoginWindows {
    HWND backdrop = nullptr;
    HWND content = nullptr;
};

// The client's login windows once both show, or nulls after 30 seconds.
LoginWindows WaitForLoginWindow(const ChildProcess& client);
