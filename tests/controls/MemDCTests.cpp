// The off-screen surface over real memory device contexts: what reaches the
// target, when, and where.

#include "MemDC.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kPattern = RGB(10, 120, 30);
constexpr COLORREF kDrawn = RGB(200, 20, 20);
constexpr COLORREF kBackground = RGB(40, 50, 220);

// A 64 x 64 memory context, left half kPattern, right half white.
class CTarget {
public:
    CTarget() {
        CDC screen;
        screen.Attach(::GetDC(nullptr));
        m_dc.CreateCompatibleDC(&screen);
        m_bitmap.CreateCompatibleBitmap(screen, 64, 64);
        ::ReleaseDC(nullptr, screen.Detach());
        m_previous = m_dc.SelectObject(m_bitmap);
        m_dc.FillSolidRect(RECT{0, 0, 32, 64}, kPattern);
        m_dc.FillSolidRect(RECT{32, 0, 64, 64}, RGB(255, 255, 255));
        ::SetBkColor(m_dc, kBackground);
    }
    ~CTarget() { m_dc.SelectObject(m_previous); }
    CDC& Dc() { return m_dc; }
    COLORREF At(int x, int y) const { return ::GetPixel(m_dc, x, y); }

private:
    CDC m_dc;
    CBitmap m_bitmap;
    HGDIOBJ m_previous = nullptr;
};

void FillOn(CDC& dc, const RECT& area, COLORREF colour) {
    dc.FillSolidRect(area, colour);
}

} // namespace

TEST(MemDC, CopiedBackgroundShowsUnderTheDrawingAndReachesTheTargetAtTheEnd) {
    CTarget target;
    RECT area{0, 0, 64, 64};
    {
        CMemDC surface(&target.Dc(), &area, TRUE);
        ASSERT_TRUE(surface.IsOffscreen());
        EXPECT_EQ(kPattern, ::GetPixel(surface, 5, 5));
        EXPECT_EQ(RGB(255, 255, 255), ::GetPixel(surface, 40, 5));
        FillOn(surface, RECT{20, 20, 44, 44}, kDrawn);
        EXPECT_EQ(kPattern, target.At(30, 30)) << "nothing reaches the target before the end";
    }
    EXPECT_EQ(kDrawn, target.At(30, 30));
    EXPECT_EQ(kPattern, target.At(5, 5));
    EXPECT_EQ(RGB(255, 255, 255), target.At(60, 60));
}

TEST(MemDC, WithoutCopyTheAreaStartsInTheTargetsBackgroundColour) {
    CTarget target;
    RECT area{0, 0, 64, 64};
    {
        CMemDC surface(&target.Dc(), &area, FALSE);
        FillOn(surface, RECT{0, 0, 8, 8}, kDrawn);
    }
    EXPECT_EQ(kDrawn, target.At(4, 4));
    EXPECT_EQ(kBackground, target.At(20, 20));
    EXPECT_EQ(kBackground, target.At(50, 50));
}

// The caller draws in the target's coordinates; only the area is touched,
// and a copied background comes from under the area itself.
TEST(MemDC, AreaAwayFromTheOriginKeepsTheTargetsCoordinates) {
    CTarget target;
    RECT area{24, 10, 44, 30};
    {
        CMemDC surface(&target.Dc(), &area, TRUE);
        EXPECT_EQ(kPattern, ::GetPixel(surface, 25, 11));
        EXPECT_EQ(RGB(255, 255, 255), ::GetPixel(surface, 40, 11));
        FillOn(surface, RECT{0, 0, 64, 64}, kDrawn); // clipped to the area by its bitmap
        FillOn(surface, RECT{30, 15, 34, 19}, RGB(1, 2, 3));
    }
    EXPECT_EQ(kDrawn, target.At(24, 10));
    EXPECT_EQ(kDrawn, target.At(43, 29));
    EXPECT_EQ(RGB(1, 2, 3), target.At(32, 17));
    EXPECT_EQ(kPattern, target.At(23, 10));
    EXPECT_EQ(kPattern, target.At(24, 9));
    EXPECT_EQ(RGB(255, 255, 255), target.At(44, 30));
}

TEST(MemDC, WithoutAnAreaTheClipBoxIsCovered) {
    CTarget target;
    ::IntersectClipRect(target.Dc(), 8, 8, 24, 24);
    {
        CMemDC surface(&target.Dc(), nullptr, FALSE);
        RECT expected{8, 8, 24, 24};
        EXPECT_TRUE(::EqualRect(&expected, &surface.GetArea()));
        FillOn(surface, RECT{0, 0, 64, 64}, kDrawn);
    }
    ::SelectClipRgn(target.Dc(), nullptr);
    EXPECT_EQ(kDrawn, target.At(8, 8));
    EXPECT_EQ(kDrawn, target.At(23, 23));
    EXPECT_EQ(kPattern, target.At(7, 7));
    EXPECT_EQ(kPattern, target.At(24, 24));
}

TEST(MemDC, PrinterContextIsDrawnIntoDirectlyAndLeftAlive) {
    CTarget target;
    target.Dc().m_bPrinting = TRUE;
    RECT area{0, 0, 16, 16};
    {
        CMemDC surface(&target.Dc(), &area, FALSE);
        EXPECT_FALSE(surface.IsOffscreen());
        EXPECT_EQ(surface.GetSafeHdc(), target.Dc().GetSafeHdc());
        EXPECT_EQ(kBackground, target.At(4, 4)) << "the fill went straight to the target";
        FillOn(surface, RECT{0, 0, 4, 4}, kDrawn);
        EXPECT_EQ(kDrawn, target.At(1, 1));
    }
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), ::GetObjectType(target.Dc().GetSafeHdc()));
    EXPECT_EQ(kDrawn, target.At(1, 1));
    target.Dc().m_bPrinting = FALSE;
}
