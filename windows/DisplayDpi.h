#pragma once
// What the system says of display scaling, on every version: the calls that
// newer systems have are looked up at run time.

#include <windows.h>

// The DPI `window` is shown at: its monitor's where the system scales per
// monitor, the system's otherwise.
int WindowDpi(HWND window);
// The DPI the system made its fonts and dialogs at.
int SystemDpi();
// Keeps the system from moving a dialog's controls and resizing its fonts
// when its DPI changes: the windows lay themselves out.
void KeepDialogLayoutOnDpiChange(HWND dialog);
// System metric `index` (an icon's width or height, say) for a window at
// `dpi`: the system's own value for that DPI where it can say, its value at
// its own DPI scaled otherwise.
int SystemMetricForDpi(int index, int dpi);
// The DPI and the suggested window rectangle of a WM_DPICHANGED message.
int DpiOfChange(WPARAM wParam);
RECT SuggestedRectOfChange(LPARAM lParam);
