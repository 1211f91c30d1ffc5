#pragma once
// Mouse and keyboard input as a user gives it: the system's input queue, not messages
// sent to a window.

#include <windows.h>

void MoveMouseTo(POINT screenPoint);
void PressLeftButton();
void ReleaseLeftButton();
// Moves to the point, presses and releases the left button.
void ClickAt(POINT screenPoint);
// Presses and releases a key.
void PressKey(WORD virtualKey);
// The colour X shows at a point of the screen.
COLORREF ScreenPixel(POINT screenPoint);
