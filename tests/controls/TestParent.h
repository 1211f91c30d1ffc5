#pragma once
// The window the controls under test live in: a top-level popup at a fixed
// place on the screen that paints its client area in one colour and records
// its paints. It is styled as the game window's dialog is, clipping its
// children, so a child that is not repainted itself shows nothing new.

#include "Wnd.h"

#include <vector>

class CTestParent : public CWnd {
public:
    // The game window dialog's style, 0x82000048.
    static constexpr DWORD kStyle = WS_POPUP | WS_CLIPCHILDREN | DS_SETFONT | DS_FIXEDSYS;

    // A visible window of the given client size at (left, top) on the screen.
    CTestParent(int left, int top, int width, int height, COLORREF colour);
    ~CTestParent() override;

    COLORREF m_colour;
    int m_paints = 0;
    std::vector<RECT> m_paintedAreas;

    // A child control of window class `className`, not yet bound to an object.
    HWND CreateChild(const char* className, const char* text, DWORD style, const RECT& area,
                     UINT id);

    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

private:
    void OnPaint();
    LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }
};
