#pragma once
// A push button painted from bitmaps: normal, pressed, mouse-over and
// disabled images, with the caption centred on top. It tracks the mouse for
// the over image and can carry a tooltip. Check and radio kinds come from
// the control's style when it is attached.

#include "Controls.h"
#include "DpiScale.h"
#include "Gdi.h"
#include "ScaledBitmap.h"
#include "ToolTipCtrl.h"

#include <string>

// Posted to the other members of a radio group when one becomes checked.
constexpr UINT WM_SKINBTN_UNCHECK = 0x0500;

class CxSkinButton : public CButton {
public:
    CxSkinButton();
    ~CxSkinButton() override;

    // Replaces the images (any path may be null); asks for no repaint. They
    // are skin images drawn at `dpi`: scaled by dpi / 96, from the sharper
    // twice-size file of an image where there is one and dpi calls for it.
    void SetImageFiles(const char* normal, const char* down, const char* over, int dpi = kSkinDpi);
    // Gives the button a tooltip with `text`, or replaces its text. The
    // tooltip window is made when first needed (the mouse comes by), so
    // that it costs nothing on the way to the first screen.
    void SetTipText(std::string text);

    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

    // Observable state, for the window that owns the button.
    bool IsChecked() const { return m_checked; }
    int Kind() const { return m_kind; }
    bool IsHovering() const { return m_hovering; }
    CToolTipCtrl& ToolTip() {
        EnsureTip();
        return m_tip;
    }

protected:
    void PreSubclassWindow() override;
    virtual void DrawItem(DRAWITEMSTRUCT* item);

private:
    LRESULT OnDrawItemReflect(WPARAM, LPARAM lParam);
    LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }
    LRESULT OnMouseMove(WPARAM, LPARAM);
    LRESULT OnMouseLeave(WPARAM, LPARAM);
    LRESULT OnLButtonDown(WPARAM, LPARAM);
    LRESULT OnLButtonUp(WPARAM, LPARAM);
    LRESULT OnLButtonDblClk(WPARAM, LPARAM);
    LRESULT OnKillFocus(WPARAM, LPARAM);
    LRESULT OnKeyDown(WPARAM, LPARAM);
    LRESULT OnSetCheck(WPARAM, LPARAM);
    LRESULT OnGetCheck(WPARAM, LPARAM) { return m_checked ? 1 : 0; }
    LRESULT OnUncheck(WPARAM, LPARAM);

    void RelayToTip(UINT message, WPARAM wParam, LPARAM lParam);
    void EnsureTip();
    void StepCheckState();
    void UncheckGroup();
    bool IsUnderCursor(POINT screenPoint) const;
    bool CorrectPressedDrag();
    void LoadSkinImage(CScaledBitmap& image, const char* path);
    void DrawImage(HDC dc, CScaledBitmap& image, const RECT& rect);
    void FillFace(HDC dc, const RECT& rect) const;
    void DrawCaption(HDC dc, const std::string& caption, RECT rect, COLORREF colour) const;

    bool m_checked = false;
    int m_kind = 0;
    bool m_hovering = false;
    bool m_pressed = false;
    CToolTipCtrl m_tip;
    std::string m_tipText;
    bool m_hasTip = false;
    // Each scaled for m_dpi when first drawn, and kept.
    CScaledBitmap m_imgNormal;
    CScaledBitmap m_imgDown;
    CScaledBitmap m_imgDisabled;
    CScaledBitmap m_imgOver;
    int m_dpi = kSkinDpi;
    COLORREF m_textColour;
};
