#include "Pixels.h"

#include "UiPump.h"

#include <shlobj.h>

#include <cstring>

CScreenShot::CScreenShot(const RECT& screenArea)
    : m_width(screenArea.right - screenArea.left), m_height(screenArea.bottom - screenArea.top),
      m_pixels(static_cast<size_t>(m_width) * m_height) {
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = m_width;
    info.bmiHeader.biHeight = -m_height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, m_width, m_height, screen, screenArea.left, screenArea.top, SRCCOPY);
    ::GdiFlush();
    std::memcpy(m_pixels.data(), bits, m_pixels.size() * sizeof(std::uint32_t));
    ::SelectObject(memory, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
}

COLORREF CScreenShot::At(int x, int y) const {
    std::uint32_t pixel = m_pixels[static_cast<size_t>(y) * m_width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

int CScreenShot::Count(const RECT& area, COLORREF colour) const {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            count += At(x, y) == colour ? 1 : 0;
    return count;
}

int CScreenShot::CountOther(const RECT& area, COLORREF colour) const {
    return (area.right - area.left) * (area.bottom - area.top) - Count(area, colour);
}

RECT ScreenClientArea(HWND window) {
    RECT area;
    ::GetClientRect(window, &area);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

CScreenShot WaitForScreen(HWND window, const std::function<bool(const CScreenShot&)>& check) {
    CScreenShot shot(ScreenClientArea(window));
    PumpUntil(
        [&] {
            shot = CScreenShot(ScreenClientArea(window));
            return check(shot);
        },
        5000);
    return shot;
}

void SettleScreen() {
    PumpFor(150);
}

namespace {

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

std::string BmpFile(const std::vector<std::vector<COLORREF>>& rows) {
    const int height = static_cast<int>(rows.size());
    const int width = static_cast<int>(rows.front().size());
    const int stride = (width * 3 + 3) & ~3;
    const std::uint32_t dataOffset = 14 + 40;
    std::string file = "BM";
    PutLittleEndian(file, dataOffset + stride * height, 4);
    PutLittleEndian(file, 0, 4);
    PutLittleEndian(file, dataOffset, 4);
    PutLittleEndian(file, 40, 4);
    PutLittleEndian(file, width, 4);
    PutLittleEndian(file, height, 4);
    PutLittleEndian(file, 1, 2);  // planes
    PutLittleEndian(file, 24, 2); // bits a pixel
    for (int field = 0; field < 6; ++field)
        PutLittleEndian(file, 0, 4);
    for (int y = height - 1; y >= 0; --y) {
        std::string row;
        for (COLORREF colour : rows[y]) {
            row.push_back(static_cast<char>(GetBValue(colour)));
            row.push_back(static_cast<char>(GetGValue(colour)));
            row.push_back(static_cast<char>(GetRValue(colour)));
        }
        row.resize(stride, '\0');
        file += row;
    }
    return file;
}

HDROP MakeDrop(const std::vector<std::string>& paths) {
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths)
        size += path.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* name = reinterpret_cast<char*>(drop + 1);
    for (const std::string& path : paths) {
        std::memcpy(name, path.c_str(), path.size() + 1);
        name += path.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}
