#pragma once
// The off-screen picture of the animated picture control: a memory bitmap the
// size of the picture that frames are rendered into and the paint handler
// copies from. The animation worker and the user-interface thread both use
// it, so every operation holds the surface's lock.

#include "Gdi.h"
#include "ScaledBitmap.h"

#include <olectl.h>

#include <memory>
#include <mutex>

struct ComRelease {
    void operator()(IUnknown* object) const { object->Release(); }
};
// One reference to a decoded picture.
using PicturePtr = std::unique_ptr<IPicture, ComRelease>;

class CPictureSurface {
public:
    // A surface of width x height compatible with `dc`; IsValid() tells
    // whether it could be made.
    CPictureSurface(const CDC* dc, int width, int height);
    ~CPictureSurface();
    CPictureSurface(const CPictureSurface&) = delete;
    CPictureSurface& operator=(const CPictureSurface&) = delete;

    bool IsValid() const { return m_valid; }
    HDC GetSafeHdc() const { return m_dc.GetSafeHdc(); }

    void Fill(const RECT& area, HBRUSH brush);
    void Fill(const RECT& area, COLORREF colour);
    // Renders the whole picture, turned upright, into `area`.
    bool Render(IPicture* picture, const RECT& area);
    // Keeps a copy of `area` until RestoreArea puts it back.
    void SaveArea(const RECT& area);
    void RestoreArea();
    // Copies `source` pixels from the top-left corner to `target`, stretched
    // (and smoothed) to `shown` where the two differ: smoothed once after
    // each change of the surface, and copied as it is at other paints.
    void CopyTo(HDC target, const SIZE& source, const SIZE& shown);

private:
    void ReleaseSavedArea();

    std::mutex m_lock;
    CDC m_dc;
    CBitmap m_bitmap;
    HGDIOBJ m_previous = nullptr;
    bool m_valid = false;
    CDC m_savedDC;
    CBitmap m_savedBitmap;
    HGDIOBJ m_savedPrevious = nullptr;
    RECT m_savedArea{};
    // The surface smoothed to the shown size, made again after a change.
    CScaledBitmap m_shown;
    bool m_changed = true;
};
