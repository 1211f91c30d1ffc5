#pragma once
// The application's icon (data\main.ico) at the system's big and small icon
// sizes for a window's DPI: the shell would otherwise stretch one image of
// the file to every size it shows.

#include <windows.h>

class CWindowIcons {
public:
    CWindowIcons() = default;
    ~CWindowIcons();
    CWindowIcons(const CWindowIcons&) = delete;
    CWindowIcons& operator=(const CWindowIcons&) = delete;

    // Loads both icons for `dpi`; those at hand stay when their sizes do not
    // change. Whether the icons changed.
    bool LoadForDpi(int dpi) { return Update(dpi, nullptr); }
    // The same, and makes them `window`'s own icons (WM_SETICON); the window
    // uses them until this object goes, so it must go first.
    void SetOn(HWND window, int dpi) { Update(dpi, window); }

    HICON Big() const { return m_big; }
    HICON Small() const { return m_small; }

private:
    bool Update(int dpi, HWND window);
    void Free();

    HICON m_big = nullptr;
    HICON m_small = nullptr;
    SIZE m_bigSize{};
    SIZE m_smallSize{};
};
