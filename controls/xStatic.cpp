#include "xStatic.h"

#include "BitmapFile.h"
#include "MemDC.h"
#include "TextConversion.h"
#include "TextLayout.h"

#include <shellapi.h>

#include <vector>

CxStatic::CxStatic()
    : m_textColour(::GetSysColor(COLOR_WINDOWTEXT)), m_bkColour(::GetSysColor(COLOR_BTNFACE)),
      m_bkBrush(m_bkColour) {}

// The brush, bitmap and font are deleted by their own wrappers.
CxStatic::~CxStatic() = default;

const MessageMap* CxStatic::ThisMessageMap() {
    static const MessageMapEntry entries[] = {
        OnMessage<WM_ERASEBKGND, &CxStatic::OnEraseBkgnd>(),
        OnMessage<WM_SETTEXT, &CxStatic::OnSetText>(),
        OnMessage<WM_SETFONT, &CxStatic::OnSetFont>(),
        OnMessage<WM_SIZE, &CxStatic::OnSize>(),
        OnMessage<WM_DROPFILES, &CxStatic::OnDropFiles>(),
        OnReflected<WM_DRAWITEM, &CxStatic::OnDrawItemReflect>(),
    };
    static const MessageMap map{CStatic::ThisMessageMap(), entries};
    return &map;
}

void CxStatic::PreSubclassWindow() {
    m_style = GetStyle();
    ModifyStyle(SS_TYPEMASK, SS_OWNERDRAW, 0);
    HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    if (!font)
        font = static_cast<HFONT>(::GetStockObject(ANSI_VAR_FONT));
    CopyFont(font);
    m_text = GetWindowText();
    ::DragAcceptFiles(m_hWnd, TRUE);
    Invalidate(TRUE);
}

void CxStatic::CopyFont(HFONT font) {
    LOGFONTA logFont{};
    if (::GetObjectA(font, sizeof(logFont), &logFont))
        m_font.CreateFontIndirect(logFont);
}

void CxStatic::SetText(const char* text) {
    m_text = text ? text : "";
    if (!m_transparent) {
        Invalidate(TRUE);
        return;
    }
    // The parent repaints what lies under the control (and a pixel around
    // it) first, so the new text is drawn over the parent, not the old text.
    // Then the control itself: a parent that clips its children invalidates
    // only its own area, which its painting covers, transparent child and all.
    RECT area;
    GetClientRect(&area);
    ClientToScreen(&area);
    ::InflateRect(&area, 1, 1);
    if (CWnd* parent = GetParent()) {
        parent->ScreenToClient(&area);
        ::InvalidateRect(parent->m_hWnd, &area, TRUE);
        parent->UpdateWindow();
    }
    Invalidate(TRUE);
}

void CxStatic::SetTextColour(COLORREF colour) {
    m_textColour = colour;
    Invalidate(TRUE);
}

void CxStatic::SetTransparent() {
    m_transparent = TRUE;
    ModifyStyleEx(0, WS_EX_TRANSPARENT, 0);
    Invalidate(TRUE);
}

BOOL CxStatic::LoadBackgroundBitmap(const char* path) {
    HBITMAP image = LoadBitmapFile(path);
    if (!image)
        return FALSE;
    m_hasBitmap = TRUE;
    m_bitmap.Attach(image);
    Invalidate(TRUE);
    m_bitmap.GetBitmap(&m_bitmapInfo);
    return TRUE;
}

LRESULT CxStatic::OnSetText(WPARAM, LPARAM) {
    LRESULT result = Default();
    m_text = GetWindowText();
    return result;
}

LRESULT CxStatic::OnSetFont(WPARAM font, LPARAM) {
    LRESULT result = Default();
    if (font) {
        CopyFont(reinterpret_cast<HFONT>(font));
        Invalidate(TRUE);
    }
    Invalidate(TRUE);
    return result;
}

void CxStatic::OnSize(UINT, int, int) {
    Default();
    Invalidate(TRUE);
}

LRESULT CxStatic::OnDropFiles(WPARAM drop, LPARAM) {
    HDROP files = reinterpret_cast<HDROP>(drop);
    if (::DragQueryFileA(files, 0xFFFFFFFF, nullptr, 0) == 1) {
        char path[MAX_PATH] = {};
        ::DragQueryFileA(files, 0, path, sizeof(path));
        std::string_view name(path);
        size_t dot = MbcsFindLast(name, '.');
        if (dot != std::string_view::npos && ::lstrcmpiA(path + dot, ".bmp") == 0)
            LoadBackgroundBitmap(path);
    }
    ::DragFinish(files);
    return 0;
}

LRESULT CxStatic::OnDrawItemReflect(WPARAM, LPARAM item) {
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(item));
    return TRUE;
}

void CxStatic::DrawItem(DRAWITEMSTRUCT* item) {
    CDC target;
    target.Attach(item->hDC);
    const RECT& area = item->rcItem;
    ::SetBkColor(item->hDC, m_bkColour);
    CMemDC surface(&target, &area, m_transparent);
    if (m_hasBitmap)
        DrawBitmap(surface);
    else if (!m_transparent)
        ::FillRect(surface, &area, m_bkBrush);
    CSelectObject font(surface, m_font.GetSafeHandle());
    COLORREF previousColour = surface.SetTextColor(m_textColour);
    DrawLines(surface, area);
    surface.SetTextColor(previousColour);
}

// The bitmap is stretched over the whole client area; from the first bitmap
// on the control stays opaque.
void CxStatic::DrawBitmap(CDC& surface) {
    CDC source;
    if (!source.CreateCompatibleDC(&surface))
        return;
    CSelectObject selected(source, m_bitmap.GetSafeHandle());
    m_transparent = FALSE;
    RECT client;
    GetClientRect(&client);
    surface.StretchBlt(client.left, client.top, client.right - client.left,
                       client.bottom - client.top, source, 0, 0, m_bitmapInfo.bmWidth,
                       m_bitmapInfo.bmHeight, SRCCOPY);
}

UINT CxStatic::DrawTextFlags() const {
    UINT flags = 0;
    if (m_style & SS_CENTER)
        flags |= DT_CENTER;
    if (m_style & SS_RIGHT)
        flags |= DT_RIGHT;
    if (m_style & SS_NOPREFIX)
        flags |= DT_NOPREFIX;
    if (m_style & SS_ELLIPSISMASK)
        flags |= DT_WORD_ELLIPSIS;
    if (m_style & SS_ENDELLIPSIS)
        flags |= DT_END_ELLIPSIS;
    if (m_style & SS_PATHELLIPSIS)
        flags |= DT_PATH_ELLIPSIS;
    if (m_text.find('\t') != std::string::npos)
        flags |= DT_EXPANDTABS;
    return flags;
}

CxStatic::Layout CxStatic::LayOutText(CDC& dc, const RECT& area) const {
    auto measure = [&dc](std::string_view piece) { return dc.GetTextExtent(piece).cx; };
    auto isLeadByte = [](unsigned char byte) { return ::IsDBCSLeadByte(byte) != FALSE; };
    Layout layout;
    layout.lines = SplitTextLines(m_text, area.right - area.left, measure, isLeadByte);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc.m_hAttribDC, &metrics);
    layout.lineHeight = metrics.tmHeight;
    const int lineCount = static_cast<int>(layout.lines.size());
    const int free = area.bottom - area.top - lineCount * layout.lineHeight;
    // Centred text that does not fit overflows at the top and the bottom alike.
    layout.firstTop = (m_style & SS_CENTERIMAGE) ? area.top + free / 2 : area.top;
    return layout;
}

void CxStatic::DrawLines(CDC& surface, const RECT& area) {
    Layout layout = LayOutText(surface, area);
    const UINT flags = DrawTextFlags();
    int top = layout.firstTop;
    for (const std::string& line : layout.lines) {
        RECT lineArea{area.left, top, area.right, area.bottom};
        top += layout.lineHeight;
        // DrawText clips to the rectangle: lines from the bottom edge on show
        // nothing, nor do lines wholly above the top edge.
        if (lineArea.top >= area.bottom)
            break;
        if (top <= area.top)
            continue;
        surface.DrawText(line, &lineArea, flags);
    }
}
