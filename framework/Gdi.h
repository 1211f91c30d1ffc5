#pragma once
// GDI wrappers. Each GDI object belongs to exactly one wrapper, which deletes
// it; wrappers move but never copy. A device context is either owned (made by
// CreateCompatibleDC, deleted by the wrapper) or borrowed (Attach: the wrapper
// never deletes it).

#include "Afx.h"

#include <string>
#include <string_view>
#include <utility>

class CWnd;

class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(HGDIOBJ handle) : m_hObject(handle) {}
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(CGdiObject&& other) noexcept : m_hObject(std::exchange(other.m_hObject, nullptr)) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    bool IsEmpty() const { return m_hObject == nullptr; }
    // Takes ownership of `handle`, deleting what was held before.
    void Attach(HGDIOBJ handle);
    HGDIOBJ Detach() { return std::exchange(m_hObject, nullptr); }
    BOOL DeleteObject();
    int GetObject(int size, void* buffer) const;

protected:
    HGDIOBJ m_hObject = nullptr;
};

class CBitmap : public CGdiObject {
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    BOOL CreateCompatibleBitmap(HDC dc, int width, int height);
    BOOL GetBitmap(BITMAP* info) const { return GetObject(sizeof(BITMAP), info) != 0; }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF colour);
};

class CFont : public CGdiObject {
public:
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    BOOL CreateFontIndirect(const LOGFONTA& font);
};

class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;       // where output goes
    HDC m_hAttribDC = nullptr; // what attributes and conversions are read from
    BOOL m_bPrinting = FALSE;

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL IsPrinting() const { return m_bPrinting; }

    // An owned memory context compatible with `other` (the screen when null).
    BOOL CreateCompatibleDC(const CDC* other);
    // Borrows `dc` for output and attributes; it is never deleted by this object.
    void Attach(HDC dc);
    HDC Detach();

    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    COLORREF SetTextColor(COLORREF colour) { return ::SetTextColor(m_hDC, colour); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hAttribDC); }
    int GetClipBox(RECT* rect) const { return ::GetClipBox(m_hDC, rect); }
    void FillSolidRect(const RECT& rect, COLORREF colour);
    BOOL BitBlt(int x, int y, int width, int height, HDC source, int sx, int sy, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, width, height, source, sx, sy, rop);
    }
    BOOL StretchBlt(int x, int y, int width, int height, HDC source, int sx, int sy, int sw, int sh,
                    DWORD rop) {
        return ::StretchBlt(m_hDC, x, y, width, height, source, sx, sy, sw, sh, rop);
    }
    int DrawText(std::string_view text, RECT* rect, UINT format);
    SIZE GetTextExtent(std::string_view text) const;
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }

protected:
    bool m_owned = false;
};

// Selects an object into a context and puts the previous one back on destruction.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~CSelectObject() {
        if (m_previous)
            ::SelectObject(m_dc, m_previous);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// The context of one WM_PAINT: BeginPaint on construction, EndPaint on destruction.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};

// A window's client-area context, released on destruction.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;

private:
    HWND m_hWnd;
};
