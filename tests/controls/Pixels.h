#pragma once
// Reading back what windows show, and building the files the controls load.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The pixels of a screen rectangle, as X shows them, copied in one go.
class CScreenShot {
public:
    explicit CScreenShot(const RECT& screenArea);
    COLORREF At(int x, int y) const; // relative to the rectangle's corner
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // How many pixels of the rectangle `area` (relative) have `colour`.
    int Count(const RECT& area, COLORREF colour) const;
    // How many pixels of `area` differ from `colour`.
    int CountOther(const RECT& area, COLORREF colour) const;

private:
    int m_width;
    int m_height;
    std::vector<std::uint32_t> m_pixels; // top-down 0x00RRGGBB
};

// The client area of `window` in screen coordinates.
RECT ScreenClientArea(HWND window);
// Pumps messages until `check` passes on a fresh shot of the client area of
// `window`, or 5 seconds went by; returns the last shot taken.
CScreenShot WaitForScreen(HWND window, const std::function<bool(const CScreenShot&)>& check);
// Lets queued paints happen and Wine hand the result to X.
void SettleScreen();

// A 24-bit bottom-up .bmp file; `rows` top to bottom, each a row of colours.
std::string BmpFile(const std::vector<std::vector<COLORREF>>& rows);
// A drop of `paths` as the shell hands it to a window in WM_DROPFILES; the
// receiver frees it with DragFinish.
HDROP MakeDrop(const std::vector<std::string>& paths);
