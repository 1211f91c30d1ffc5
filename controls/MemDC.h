#pragma once
// An off-screen stand-in for a device context during one paint: everything is
// drawn into a memory bitmap of the covered area and copied to the target in
// one BitBlt when the object is destroyed, so the user never sees the steps.
// A printer context is drawn into directly.

#include "Gdi.h"

class CMemDC : public CDC {
public:
    // Covers `area` of `target` (logical units), or its clip box when null.
    // With `copyBackground` the surface starts with what the target shows
    // there; otherwise it starts filled with the target's background colour.
    CMemDC(CDC* target, const RECT* area = nullptr, BOOL copyBackground = FALSE);
    ~CMemDC() override;

    // The covered area, in the target's logical units.
    const RECT& GetArea() const { return m_area; }
    // FALSE when drawing goes straight to the target (printer, or no memory
    // for the surface).
    BOOL IsOffscreen() const { return m_isOffscreen; }

private:
    BOOL CreateSurface();
    void ShareTarget();
    int AreaWidth() const { return m_area.right - m_area.left; }
    int AreaHeight() const { return m_area.bottom - m_area.top; }

    CBitmap m_offBitmap;
    HGDIOBJ m_prevBitmap = nullptr;
    CDC* m_target;
    RECT m_area{};
    BOOL m_isOffscreen;
};
