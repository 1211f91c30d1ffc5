#pragma once
// A static text control that draws its own copy of the text with its own
// font and colour, wrapped into lines that fit its width, over a solid
// background, over the parent's painting (transparent mode) or over a bitmap
// dropped onto it. It paints through an off-screen surface, so it never
// flickers.

#include "Controls.h"

#include <string>
#include <vector>

class CxStatic : public CStatic {
public:
    CxStatic();
    ~CxStatic() override;

    // Replaces the drawn text; the window text stays as it was.
    void SetText(const char* text);
    void SetTextColour(COLORREF colour);
    // Draws over the parent's painting from now on.
    void SetTransparent();
    // Loads a .bmp file as the background; nothing changes when it fails.
    BOOL LoadBackgroundBitmap(const char* path);

    const std::string& GetText() const { return m_text; }
    BOOL IsTransparent() const { return m_transparent; }
    HFONT GetOwnFont() const { return m_font; }

    // The text as it is drawn into `area` of `dc` (with the control's font
    // selected): its lines, the top of the first and the line height.
    struct Layout {
        std::vector<std::string> lines;
        int firstTop = 0;
        int lineHeight = 0;
    };
    Layout LayOutText(CDC& dc, const RECT& area) const;
    // The DrawText flags the window style (as attached) and the text ask for.
    UINT DrawTextFlags() const;

    virtual void DrawItem(DRAWITEMSTRUCT* item);

    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

protected:
    void PreSubclassWindow() override;

    LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }
    LRESULT OnSetText(WPARAM, LPARAM);
    LRESULT OnSetFont(WPARAM font, LPARAM);
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnDropFiles(WPARAM drop, LPARAM);
    LRESULT OnDrawItemReflect(WPARAM, LPARAM item);

private:
    void CopyFont(HFONT font);
    void DrawBitmap(CDC& surface);
    void DrawLines(CDC& surface, const RECT& area);

    std::string m_text;
    BOOL m_transparent = FALSE;
    COLORREF m_textColour;
    COLORREF m_bkColour;
    CBrush m_bkBrush;
    DWORD m_style = 0;
    BOOL m_hasBitmap = FALSE;
    CBitmap m_bitmap;
    BITMAP m_bitmapInfo{};
    CFont m_font;
};
