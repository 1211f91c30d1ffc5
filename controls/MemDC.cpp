#include "MemDC.h"

CMemDC::CMemDC(CDC* target, const RECT* area, BOOL copyBackground)
    : m_target(target), m_isOffscreen(!target->IsPrinting()) {
    if (area)
        m_area = *area;
    else
        target->GetClipBox(&m_area);
    // Without a surface the paint still happens, only unbuffered.
    if (m_isOffscreen && !CreateSurface())
        m_isOffscreen = FALSE;
    if (!m_isOffscreen)
        ShareTarget();
    SetBkMode(TRANSPARENT);
    if (copyBackground) {
        // From the same place on the target, so that an area away from the
        // target's origin starts with the pixels that lie under it.
        BitBlt(m_area.left, m_area.top, AreaWidth(), AreaHeight(), m_target->m_hDC, m_area.left,
               m_area.top, SRCCOPY);
    } else {
        FillSolidRect(m_area, m_target->GetBkColor());
    }
}

CMemDC::~CMemDC() {
    if (m_isOffscreen) {
        m_target->BitBlt(m_area.left, m_area.top, AreaWidth(), AreaHeight(), m_hDC, m_area.left,
                         m_area.top, SRCCOPY);
        if (m_prevBitmap)
            SelectObject(m_prevBitmap);
    } else {
        // The target's contexts were only borrowed.
        Detach();
    }
}

// A memory context and bitmap of the area's device size, set up so that the
// caller draws in the target's logical coordinates and the area's corner
// lands on the bitmap's origin.
BOOL CMemDC::CreateSurface() {
    if (!CreateCompatibleDC(m_target))
        return FALSE;
    ::LPtoDP(m_target->m_hAttribDC, reinterpret_cast<POINT*>(&m_area), 2);
    if (!m_offBitmap.CreateCompatibleBitmap(m_target->m_hDC, AreaWidth(), AreaHeight())) {
        ::DPtoLP(m_target->m_hAttribDC, reinterpret_cast<POINT*>(&m_area), 2);
        return FALSE;
    }
    m_prevBitmap = SelectObject(m_offBitmap);
    ::SetMapMode(m_hDC, ::GetMapMode(m_target->m_hAttribDC));
    ::DPtoLP(m_target->m_hAttribDC, reinterpret_cast<POINT*>(&m_area), 2);
    ::SetWindowOrgEx(m_hDC, m_area.left, m_area.top, nullptr);
    return TRUE;
}

void CMemDC::ShareTarget() {
    Attach(m_target->m_hDC); // deletes a memory context made before a failure
    m_hAttribDC = m_target->m_hAttribDC;
    m_bPrinting = m_target->m_bPrinting;
}
