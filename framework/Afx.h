#pragma once
// Common platform includes and the few process-wide framework functions.

#include <windows.h>

#include <string>
#include <vector>

class CWinApp;

// The application object, or null when the program has none (the test programs).
CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// Module whose resources (dialog templates, icons) are used; the executable's.
HINSTANCE AfxGetResourceHandle();

// The full path of `module` (null: the executable) in the ANSI code page,
// however long it is; empty when the system cannot tell it. `firstTry` is the
// buffer size, in characters, tried before a larger one.
std::string AfxGetModuleFileName(HMODULE module = nullptr, DWORD firstTry = MAX_PATH);

// The program's arguments, without its own name, in the ANSI code page.
std::vector<std::string> AfxGetArguments();

// Lets CWnd::CreateControl host ActiveX controls; without it creation fails.
void AfxEnableControlContainer();
bool AfxControlContainerEnabled();

// Registers (once) and returns the name of a window class with the given
// style, cursor, background brush and icon, whose procedure is DefWindowProcA.
const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr,
                                HBRUSH background = nullptr, HICON icon = nullptr);

// Control ID of the first pane of a frame; used for an ActiveX control's site window.
constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;
