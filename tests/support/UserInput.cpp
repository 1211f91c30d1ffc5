#include "UserInput.h"

namespace {

void SendMouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof(input));
}

} // namespace

void MoveMouseTo(POINT screenPoint) {
    ::SetCursorPos(screenPoint.x, screenPoint.y);
    // A move event too, so that the window under the pointer hears of it.
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = 0;
    input.mi.dy = 0;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    ::SendInput(1, &input, sizeof(input));
}

void PressLeftButton() {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
}

void ReleaseLeftButton() {
    SendMouse(MOUSEEVENTF_LEFTUP);
}

void ClickAt(POINT screenPoint) {
    MoveMouseTo(screenPoint);
    ::Sleep(30);
    PressLeftButton();
    ::Sleep(30);
    ReleaseLeftButton();
}

void PressKey(WORD virtualKey) {
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = virtualKey;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, input, sizeof(INPUT));
}

COLORREF ScreenPixel(POINT screenPoint) {
    HDC screen = ::GetDC(nullptr);
    COLORREF colour = ::GetPixel(screen, screenPoint.x, screenPoint.y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}
