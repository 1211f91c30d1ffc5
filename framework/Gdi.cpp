#include "Gdi.h"

#include "Wnd.h"

CGdiObject& CGdiObject::operator=(CGdiObject&& other) noexcept {
    if (this != &other)
        Attach(other.Detach());
    return *this;
}

void CGdiObject::Attach(HGDIOBJ handle) {
    DeleteObject();
    m_hObject = handle;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject)
        return FALSE;
    return ::DeleteObject(std::exchange(m_hObject, nullptr));
}

int CGdiObject::GetObject(int size, void* buffer) const {
    return m_hObject ? ::GetObjectA(m_hObject, size, buffer) : 0;
}

BOOL CBitmap::CreateCompatibleBitmap(HDC dc, int width, int height) {
    Attach(::CreateCompatibleBitmap(dc, width, height));
    return m_hObject != nullptr;
}

BOOL CBrush::CreateSolidBrush(COLORREF colour) {
    Attach(::CreateSolidBrush(colour));
    return m_hObject != nullptr;
}

BOOL CFont::CreateFontIndirect(const LOGFONTA& font) {
    Attach(::CreateFontIndirectA(&font));
    return m_hObject != nullptr;
}

CDC::~CDC() {
    if (m_owned && m_hDC)
        ::DeleteDC(m_hDC);
}

BOOL CDC::CreateCompatibleDC(const CDC* other) {
    HDC dc = ::CreateCompatibleDC(other ? other->m_hDC : nullptr);
    if (!dc)
        return FALSE;
    if (m_owned && m_hDC)
        ::DeleteDC(m_hDC);
    m_hDC = m_hAttribDC = dc;
    m_owned = true;
    return TRUE;
}

void CDC::Attach(HDC dc) {
    if (m_owned && m_hDC)
        ::DeleteDC(m_hDC);
    m_hDC = m_hAttribDC = dc;
    m_owned = false;
}

HDC CDC::Detach() {
    HDC dc = m_hDC;
    m_hDC = m_hAttribDC = nullptr;
    m_owned = false;
    return dc;
}

void CDC::FillSolidRect(const RECT& rect, COLORREF colour) {
    COLORREF previous = ::SetBkColor(m_hDC, colour);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, previous);
}

int CDC::DrawText(std::string_view text, RECT* rect, UINT format) {
    return ::DrawTextA(m_hDC, text.data(), static_cast<int>(text.size()), rect, format);
}

SIZE CDC::GetTextExtent(std::string_view text) const {
    SIZE size{0, 0};
    ::GetTextExtentPoint32A(m_hAttribDC, text.data(), static_cast<int>(text.size()), &size);
    return size;
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) {
    Attach(::BeginPaint(m_hWnd, &m_ps));
}

CPaintDC::~CPaintDC() {
    Detach();
    ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) {
    Attach(::GetDC(m_hWnd));
}

CClientDC::~CClientDC() {
    HDC dc = Detach();
    if (dc)
        ::ReleaseDC(m_hWnd, dc);
}
