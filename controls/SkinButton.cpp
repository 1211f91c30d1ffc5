#include "SkinButton.h"

#include <commctrl.h>

namespace {

constexpr UINT kPushedState = BST_PUSHED; // 4

POINT ClientPoint(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

} // namespace

CxSkinButton::CxSkinButton() : m_textColour(::GetSysColor(COLOR_BTNTEXT)) {}

CxSkinButton::~CxSkinButton() = default;

const MessageMap* CxSkinButton::ThisMessageMap() {
    static const MessageMapEntry entries[] = {
        OnReflected<WM_DRAWITEM, &CxSkinButton::OnDrawItemReflect>(),
        OnMessage<WM_ERASEBKGND, &CxSkinButton::OnEraseBkgnd>(),
        OnMessage<WM_MOUSEMOVE, &CxSkinButton::OnMouseMove>(),
        OnMessage<WM_MOUSELEAVE, &CxSkinButton::OnMouseLeave>(),
        OnMessage<WM_LBUTTONDOWN, &CxSkinButton::OnLButtonDown>(),
        OnMessage<WM_LBUTTONUP, &CxSkinButton::OnLButtonUp>(),
        OnMessage<WM_LBUTTONDBLCLK, &CxSkinButton::OnLButtonDblClk>(),
        OnMessage<WM_KILLFOCUS, &CxSkinButton::OnKillFocus>(),
        OnMessage<WM_KEYDOWN, &CxSkinButton::OnKeyDown>(),
        OnMessage<BM_SETCHECK, &CxSkinButton::OnSetCheck>(),
        OnMessage<BM_GETCHECK, &CxSkinButton::OnGetCheck>(),
        OnMessage<WM_SKINBTN_UNCHECK, &CxSkinButton::OnUncheck>(),
    };
    static const MessageMap map{CButton::ThisMessageMap(), entries};
    return &map;
}

void CxSkinButton::PreSubclassWindow() {
    UINT style = static_cast<UINT>(GetStyle()) & 0xFFFF;
    if ((style & 3) == 3)
        m_kind = 2;
    else if ((style & 9) == 9)
        m_kind = 4;
    else
        m_kind = 0;
    CButton::PreSubclassWindow();
    ModifyStyle(0, BS_OWNERDRAW);
}

void CxSkinButton::SetImageFiles(const char* normal, const char* down, const char* over, int dpi) {
    m_dpi = dpi;
    LoadSkinImage(m_imgNormal, normal);
    LoadSkinImage(m_imgDown, down);
    LoadSkinImage(m_imgOver, over);
    // A disabled image is looked up among the program's bitmap resources
    // under the normal image's name.
    m_imgDisabled.Free();
    if (normal) {
        CBitmap disabled;
        disabled.Attach(::LoadBitmapA(AfxGetResourceHandle(), normal));
        m_imgDisabled.Take(std::move(disabled), 1);
    }
}

void CxSkinButton::LoadSkinImage(CScaledBitmap& image, const char* path) {
    image.Free();
    if (path)
        image.LoadFile(path, m_dpi);
}

void CxSkinButton::SetTipText(std::string text) {
    m_tipText = std::move(text);
    m_hasTip = true;
    if (m_tip.m_hWnd)
        m_tip.UpdateTipText(m_tipText, this, 0);
}

void CxSkinButton::EnsureTip() {
    if (!m_hasTip || m_tip.m_hWnd || !m_hWnd)
        return;
    if (m_tip.Create(this, 0) && m_tip.AddTool(this, m_tipText, nullptr, 0))
        m_tip.SendMessage(TTM_ACTIVATE, TRUE);
}

void CxSkinButton::RelayToTip(UINT message, WPARAM wParam, LPARAM lParam) {
    EnsureTip();
    if (!m_tip.m_hWnd)
        return;
    MSG msg{};
    msg.hwnd = m_hWnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = 0;
    msg.pt.x = LOWORD(lParam);
    msg.pt.y = HIWORD(lParam);
    m_tip.RelayEvent(&msg);
}

bool CxSkinButton::IsUnderCursor(POINT screenPoint) const {
    return ::WindowFromPoint(screenPoint) == m_hWnd;
}

LRESULT CxSkinButton::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    RelayToTip(WM_MOUSEMOVE, wParam, lParam);
    if (m_pressed && ::GetCapture() == m_hWnd) {
        POINT point = ClientPoint(lParam);
        ::ClientToScreen(m_hWnd, &point);
        bool over = IsUnderCursor(point);
        bool pushed = (GetState() & kPushedState) != 0;
        if (over != pushed) {
            SetState(over);
            Invalidate(TRUE);
        }
    } else if (!m_hovering) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = m_hWnd;
        track.dwHoverTime = 0;
        if (::_TrackMouseEvent(&track)) {
            m_hovering = true;
            Invalidate(TRUE);
        }
    }
    return Default();
}

LRESULT CxSkinButton::OnMouseLeave(WPARAM, LPARAM) {
    m_hovering = false;
    Invalidate(TRUE);
    return 0;
}

LRESULT CxSkinButton::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
    RelayToTip(WM_LBUTTONDOWN, wParam, lParam);
    if (m_hovering) {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_CANCEL | TME_LEAVE;
        track.hwndTrack = m_hWnd;
        if (::_TrackMouseEvent(&track))
            m_hovering = false;
    }
    LRESULT result = Default();
    m_pressed = true;
    return result;
}

void CxSkinButton::StepCheckState() {
    if (m_kind == 2)
        SendMessage(BM_SETCHECK, m_checked ? 0 : 1);
    else if (m_kind == 4)
        SendMessage(BM_SETCHECK, 1);
}

LRESULT CxSkinButton::OnLButtonUp(WPARAM wParam, LPARAM lParam) {
    if (m_kind != 0) {
        POINT point = ClientPoint(lParam);
        ::ClientToScreen(m_hWnd, &point);
        if (IsUnderCursor(point))
            StepCheckState();
    }
    RelayToTip(WM_LBUTTONUP, wParam, lParam);
    m_pressed = false;
    return Default();
}

LRESULT CxSkinButton::OnLButtonDblClk(WPARAM wParam, LPARAM lParam) {
    // A double click is a second press, so it gives a second click.
    SendMessage(WM_LBUTTONDOWN, wParam, lParam);
    return 0;
}

LRESULT CxSkinButton::OnKillFocus(WPARAM, LPARAM) {
    if (::GetCapture() == m_hWnd) {
        ::ReleaseCapture();
        m_pressed = false;
    }
    return Default();
}

LRESULT CxSkinButton::OnKeyDown(WPARAM wParam, LPARAM) {
    if (m_kind != 0 && wParam == VK_SPACE)
        StepCheckState();
    return Default();
}

LRESULT CxSkinButton::OnSetCheck(WPARAM wParam, LPARAM) {
    m_checked = wParam != 0;
    if (m_kind == 0)
        m_checked = false;
    if (m_kind == 4 && m_checked)
        UncheckGroup();
    Invalidate(TRUE);
    return 0;
}

void CxSkinButton::UncheckGroup() {
    HWND parent = ::GetParent(m_hWnd);
    if (!parent || !m_hWnd)
        return;
    for (HWND member = ::GetNextDlgGroupItem(parent, m_hWnd, FALSE); member && member != m_hWnd;
         member = ::GetNextDlgGroupItem(parent, member, FALSE))
        ::PostMessageA(member, WM_SKINBTN_UNCHECK, 0, 0);
}

LRESULT CxSkinButton::OnUncheck(WPARAM, LPARAM) {
    if (m_checked) {
        m_checked = false;
        Invalidate(TRUE);
    }
    return 0;
}

LRESULT CxSkinButton::OnDrawItemReflect(WPARAM, LPARAM lParam) {
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    return TRUE;
}

// While the left button is held after a press on this button, the pushed
// state follows the pointer; a change makes the system ask for a new draw.
bool CxSkinButton::CorrectPressedDrag() {
    POINT cursor;
    if (!m_pressed || ::GetCapture() != m_hWnd || !::GetCursorPos(&cursor))
        return false;
    bool over = IsUnderCursor(cursor);
    bool pushed = (GetState() & kPushedState) != 0;
    if (over == pushed)
        return false;
    SetState(over);
    return true;
}

void CxSkinButton::DrawItem(DRAWITEMSTRUCT* item) {
    if (CorrectPressedDrag())
        return;
    std::string caption = GetWindowText();
    RECT rect = item->rcItem;
    RECT text{rect.left + 2, rect.top, rect.right - 2, rect.bottom};
    HDC dc = item->hDC;
    ::SetBkMode(dc, TRANSPARENT);

    if (item->itemState & ODS_DISABLED) {
        if (m_imgDisabled.IsEmpty())
            FillFace(dc, rect);
        else
            DrawImage(dc, m_imgDisabled, rect);
        DrawCaption(dc, caption, text, ::GetSysColor(COLOR_HIGHLIGHT));
        ::OffsetRect(&text, -1, -1);
        DrawCaption(dc, caption, text, ::GetSysColor(COLOR_GRAYTEXT));
        return;
    }
    if ((item->itemState & ODS_SELECTED) || m_checked) {
        if (m_imgDown.IsEmpty())
            FillFace(dc, rect);
        else
            DrawImage(dc, m_imgDown, rect);
        ::OffsetRect(&text, 1, 1);
    } else if (m_imgNormal.IsEmpty()) {
        FillFace(dc, rect);
    } else {
        DrawImage(dc, m_hovering && !m_imgOver.IsEmpty() ? m_imgOver : m_imgNormal, rect);
    }
    DrawCaption(dc, caption, text, m_textColour);
}

void CxSkinButton::DrawImage(HDC dc, CScaledBitmap& image, const RECT& rect) {
    image.Draw(dc, rect, m_dpi);
}

void CxSkinButton::FillFace(HDC dc, const RECT& rect) const {
    CDC target;
    target.Attach(dc);
    target.FillSolidRect(rect, ::GetSysColor(COLOR_BTNFACE));
}

void CxSkinButton::DrawCaption(HDC dc, const std::string& caption, RECT rect,
                               COLORREF colour) const {
    ::SetTextColor(dc, colour);
    ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &rect,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
