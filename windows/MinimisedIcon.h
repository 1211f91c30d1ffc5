#pragma once
// Painting of a minimised dialog: its icon, centred, over the erased background.

#include "Wnd.h"

// `icon` is drawn at the system's icon size for `dpi`, the DPI the window is shown at.
void PaintMinimisedIcon(CWnd& window, HICON icon, int dpi);
