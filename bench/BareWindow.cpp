// The yardstick of the start-up benchmark: a bare Win32 program that shows
// one plain window and nothing else, then waits to be ended.

#include <windows.h>

namespace {

LRESULT CALLBACK Procedure(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &Procedure;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "BareWindow";
    ::RegisterClassA(&wc);
    HWND hWnd = ::CreateWindowExA(0, "BareWindow", "bare", WS_POPUP | WS_VISIBLE, 0, 0, 900, 600,
                                  nullptr, nullptr, instance, nullptr);
    ::UpdateWindow(hWnd);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
