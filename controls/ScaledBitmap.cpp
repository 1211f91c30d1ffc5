#include "ScaledBitmap.h"

#include "BitmapFile.h"
#include "DpiScale.h"

#include <utility>

namespace {

BITMAPINFO TopDown32(const SIZE& size) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

} // namespace

void CPixelBitmap::Free() {
    DeleteObject();
    m_pixels = {nullptr, 0, 0};
}

bool CPixelBitmap::Create(const SIZE& size) {
    Free();
    // Four bytes a pixel must be countable in the header's DWORD.
    if (size.cx <= 0 || size.cy <= 0 || size.cx > 0x7FFF || size.cy > 0x7FFF)
        return false;
    BITMAPINFO info = TopDown32(size);
    void* bits = nullptr;
    Attach(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (IsEmpty() || !bits) {
        Free();
        return false;
    }
    m_pixels = {static_cast<std::uint32_t*>(bits), size.cx, size.cy};
    return true;
}

bool CScaledBitmap::LoadFile(const std::string& path, int dpi) {
    int factor = 1;
    CBitmap loaded;
    loaded.Attach(LoadBitmapFileForDpi(path, dpi, &factor));
    return Take(std::move(loaded), factor);
}

bool CScaledBitmap::Take(CBitmap bitmap, int factor) {
    Free();
    BITMAP info{};
    if (bitmap.IsEmpty() || !bitmap.GetBitmap(&info) || info.bmWidth <= 0 || info.bmHeight == 0)
        return false;
    m_taken = std::move(bitmap);
    m_size = {info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
    m_factor = factor > 0 ? factor : 1;
    return true;
}

bool CScaledBitmap::CopyOpaque(HBITMAP bitmap, int factor) {
    Free();
    BITMAP info{};
    if (!bitmap || !::GetObjectA(bitmap, sizeof(info), &info))
        return false;
    const SIZE size{info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight};
    const PixelBlock pixels = Prepare(size, factor);
    if (!pixels.pixels)
        return false;
    BITMAPINFO layout = TopDown32(size);
    HDC screen = ::GetDC(nullptr);
    const int rows =
        ::GetDIBits(screen, bitmap, 0, size.cy, pixels.pixels, &layout, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    if (rows != size.cy) {
        Free();
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(size.cx) * size.cy;
    for (std::size_t i = 0; i < count; ++i)
        pixels.pixels[i] |= 0xFF000000u;
    return true;
}

bool CScaledBitmap::ReadTaken() {
    if (!m_source.IsEmpty())
        return true;
    CBitmap taken = std::move(m_taken);
    const int factor = m_factor;
    if (!CopyOpaque(taken, factor))
        return false;
    // Drawn as it is still where no scaling is needed.
    m_taken = std::move(taken);
    return true;
}

PixelBlock CScaledBitmap::Prepare(const SIZE& size, int factor) {
    Free();
    if (!m_source.Create(size))
        return m_source.Pixels();
    m_size = size;
    m_factor = factor > 0 ? factor : 1;
    return m_source.Pixels();
}

void CScaledBitmap::Free() {
    m_taken.DeleteObject();
    m_source.Free();
    m_scaled.Free();
    m_size = {0, 0};
    m_factor = 1;
    m_scaledDpi = 0;
    m_scaledSize = {0, 0};
}

SIZE CScaledBitmap::SizeForDpi(int dpi) const {
    const SIZE own = Size();
    const int imageDpi = kSkinDpi * m_factor;
    return {ScaleBy(own.cx, dpi, imageDpi), ScaleBy(own.cy, dpi, imageDpi)};
}

HBITMAP CScaledBitmap::ForDpi(int dpi) {
    if (IsEmpty() || dpi <= 0)
        return nullptr;
    if (dpi == kSkinDpi * m_factor)
        return m_taken.IsEmpty() ? static_cast<HBITMAP>(m_source) : static_cast<HBITMAP>(m_taken);
    const SIZE size = SizeForDpi(dpi);
    if (m_scaledDpi != dpi || m_scaled.IsEmpty()) {
        m_scaledDpi = 0;
        if (!ReadTaken())
            return nullptr;
        if (!m_scaled.Create(size))
            return nullptr;
        ScalePixels(m_source.Pixels(), m_scaled.Pixels(), dpi, kSkinDpi * m_factor);
        m_scaledDpi = dpi;
        m_scaledSize = size;
    }
    return m_scaled;
}

HBITMAP CScaledBitmap::StretchedTo(const SIZE& size) {
    if (IsEmpty())
        return nullptr;
    if (m_scaledDpi != 0 || m_scaled.IsEmpty() || m_scaledSize.cx != size.cx ||
        m_scaledSize.cy != size.cy) {
        m_scaledSize = {0, 0};
        if (!ReadTaken())
            return nullptr;
        if (!m_scaled.Create(size))
            return nullptr;
        StretchPixels(m_source.Pixels(), m_scaled.Pixels());
        m_scaledDpi = 0;
        m_scaledSize = size;
    }
    return m_scaled;
}

void CScaledBitmap::Draw(HDC dc, const RECT& rect, int dpi) {
    HBITMAP bitmap = ForDpi(dpi);
    if (!bitmap)
        return;
    HDC memory = ::CreateCompatibleDC(dc);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, memory, 0, 0,
             SRCCOPY);
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
}
