#pragma once
// The window the controls under test live in: a top-level popup at a fixed
// place on the screen that paints its client area in one colour and records
// its paints. It does not clip its children, so a transparent child is
// painted over the parent's colour.

#include "Wnd.h"

#include <vector>

class CTestParent : public CWnd {
public:
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
