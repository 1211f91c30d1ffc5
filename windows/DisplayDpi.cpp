#include "DisplayDpi.h"

#include "DpiScale.h"

namespace {

template <class Function> Function FindUser32(const char* name) {
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    return user32
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
               : nullptr;
}

} // namespace

int SystemDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : kSkinDpi;
    if (screen)
        ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kSkinDpi;
}

int WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = FindUser32<GetDpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto forDpi = FindUser32<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (dpi <= 0)
        return ::GetSystemMetrics(index);
    if (forDpi)
        return forDpi(index, static_cast<UINT>(dpi));
    return ScaleBy(::GetSystemMetrics(index), dpi, SystemDpi());
}

void KeepDialogLayoutOnDpiChange(HWND dialog) {
    // DDC_DISABLE_ALL for both the mask and the values.
    constexpr int kDisableAll = 1 | 2 | 4;
    using SetBehaviourFn = BOOL(WINAPI*)(HWND, int, int);
    static const auto setBehaviour = FindUser32<SetBehaviourFn>("SetDialogDpiChangeBehavior");
    if (setBehaviour)
        setBehaviour(dialog, kDisableAll, kDisableAll);
}

int DpiOfChange(WPARAM wParam) {
    const int dpi = LOWORD(wParam);
    return dpi > 0 ? dpi : kSkinDpi;
}

RECT SuggestedRectOfChange(LPARAM lParam) {
    const auto* suggested = reinterpret_cast<const RECT*>(lParam);
    return suggested ? *suggested : RECT{};
}
