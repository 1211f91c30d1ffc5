#pragma once
// Painting of a minimised dialog: its icon, centred, over the erased background.

#include "Wnd.h"

void PaintMinimisedIcon(CWnd& window, HICON icon);
