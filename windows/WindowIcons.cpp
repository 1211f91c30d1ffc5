#include "WindowIcons.h"

#include "DisplayDpi.h"
#include "ImageFileCheck.h"

namespace {

// The image of the file nearest to `size`, scaled to it; null without the
// file, or when it is not an icon the system's loader can be trusted with.
HICON LoadIconOfSize(const SIZE& size) {
    return LoadIconFile("data\\main.ico", size.cx, size.cy);
}

bool SameSize(const SIZE& a, const SIZE& b) {
    return a.cx == b.cx && a.cy == b.cy;
}

} // namespace

CWindowIcons::~CWindowIcons() {
    Free();
}

void CWindowIcons::Free() {
    if (m_big)
        ::DestroyIcon(m_big);
    if (m_small)
        ::DestroyIcon(m_small);
    m_big = m_small = nullptr;
}

bool CWindowIcons::Update(int dpi, HWND window) {
    const SIZE big{SystemMetricForDpi(SM_CXICON, dpi), SystemMetricForDpi(SM_CYICON, dpi)};
    const SIZE small{SystemMetricForDpi(SM_CXSMICON, dpi), SystemMetricForDpi(SM_CYSMICON, dpi)};
    if (m_big && m_small && SameSize(big, m_bigSize) && SameSize(small, m_smallSize))
        return false;
    const HICON newBig = LoadIconOfSize(big);
    const HICON newSmall = LoadIconOfSize(small);
    // The window lets go of the old icons before they are destroyed.
    if (window) {
        ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(newBig));
        ::SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(newSmall));
    }
    Free();
    m_big = newBig;
    m_small = newSmall;
    m_bigSize = big;
    m_smallSize = small;
    return true;
}
