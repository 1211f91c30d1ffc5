#include "PictureSurface.h"

namespace {

int Width(const RECT& area) {
    return area.right - area.left;
}

int Height(const RECT& area) {
    return area.bottom - area.top;
}

} // namespace

CPictureSurface::CPictureSurface(const CDC* dc, int width, int height) {
    if (!m_dc.CreateCompatibleDC(dc) ||
        !m_bitmap.CreateCompatibleBitmap(dc->GetSafeHdc(), width, height))
        return;
    m_previous = m_dc.SelectObject(m_bitmap);
    m_valid = true;
}

CPictureSurface::~CPictureSurface() {
    ReleaseSavedArea();
    if (m_previous)
        m_dc.SelectObject(m_previous);
}

void CPictureSurface::Fill(const RECT& area, HBRUSH brush) {
    std::lock_guard lock(m_lock);
    ::FillRect(m_dc, &area, brush);
    m_changed = true;
}

void CPictureSurface::Fill(const RECT& area, COLORREF colour) {
    CBrush brush(colour);
    Fill(area, brush);
}

bool CPictureSurface::Render(IPicture* picture, const RECT& area) {
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    std::lock_guard lock(m_lock);
    m_changed = true;
    return SUCCEEDED(picture->Render(m_dc, area.left, area.top, Width(area), Height(area), 0,
                                     height, width, -height, nullptr));
}

void CPictureSurface::SaveArea(const RECT& area) {
    std::lock_guard lock(m_lock);
    ReleaseSavedArea();
    if (!m_savedDC.CreateCompatibleDC(&m_dc) ||
        !m_savedBitmap.CreateCompatibleBitmap(m_dc, Width(area), Height(area))) {
        m_savedDC.Attach(nullptr);
        return;
    }
    m_savedPrevious = m_savedDC.SelectObject(m_savedBitmap);
    m_savedArea = area;
    ::BitBlt(m_savedDC, 0, 0, Width(area), Height(area), m_dc, area.left, area.top, SRCCOPY);
}

void CPictureSurface::RestoreArea() {
    std::lock_guard lock(m_lock);
    if (!m_savedPrevious)
        return;
    const RECT& area = m_savedArea;
    ::BitBlt(m_dc, area.left, area.top, Width(area), Height(area), m_savedDC, 0, 0, SRCCOPY);
    m_changed = true;
    ReleaseSavedArea();
}

void CPictureSurface::ReleaseSavedArea() {
    if (m_savedPrevious)
        m_savedDC.SelectObject(m_savedPrevious);
    m_savedPrevious = nullptr;
    m_savedBitmap.DeleteObject();
    m_savedDC.Attach(nullptr);
}

void CPictureSurface::CopyTo(HDC target, const SIZE& source, const SIZE& shown) {
    std::lock_guard lock(m_lock);
    if (source.cx == shown.cx && source.cy == shown.cy) {
        ::BitBlt(target, 0, 0, shown.cx, shown.cy, m_dc, 0, 0, SRCCOPY);
        return;
    }
    if (m_changed) {
        // Its pixels are read while no context holds it.
        ::SelectObject(m_dc, m_previous);
        m_shown.CopyOpaque(m_bitmap, 1);
        m_previous = m_dc.SelectObject(m_bitmap);
        m_changed = false;
    }
    HBITMAP smoothed = m_shown.StretchedTo(shown);
    if (!smoothed)
        return;
    CDC memory;
    if (!memory.CreateCompatibleDC(&m_dc))
        return;
    CSelectObject selected(memory, smoothed);
    ::BitBlt(target, 0, 0, shown.cx, shown.cy, memory, 0, 0, SRCCOPY);
}
