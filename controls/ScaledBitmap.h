#pragma once
// A skin image decoded once into premultiplied 32-bit pixels and kept scaled
// for the display: it is scaled once for a DPI (or a size) and then drawn as
// it is, a plain copy of pixels, however often it is painted.

#include "Gdi.h"
#include "PixelScaling.h"

#include <string>

// A 32-bit top-down DIB section whose pixels the program reads and writes.
class CPixelBitmap : public CBitmap {
public:
    // Makes a bitmap of `size`, every pixel clear; false (and none) when it
    // cannot be made.
    bool Create(const SIZE& size);
    void Free();
    // The pixels; none without a bitmap.
    const PixelBlock& Pixels() const { return m_pixels; }

private:
    PixelBlock m_pixels{nullptr, 0, 0};
};

class CScaledBitmap {
public:
    // Loads the skin image at `path` (a .bmp) for `dpi` as LoadBitmapFileForDpi
    // chooses and loads it, and takes it; false when nothing loads.
    bool LoadFile(const std::string& path, int dpi);
    // Takes `bitmap`, `factor` of whose pixels make one of the skin, as
    // opaque (buttons and backgrounds are copied, never blended): drawn as it
    // is at its own scale, its pixels read when it is first scaled. False
    // (and no image) when it has none.
    bool Take(CBitmap bitmap, int factor);
    // Copies the pixels of `bitmap` as opaque, at once; false as Take.
    bool CopyOpaque(HBITMAP bitmap, int factor);
    // A clear image of `size` for the caller to fill with premultiplied
    // pixels; none when it cannot be made.
    PixelBlock Prepare(const SIZE& size, int factor);
    void Free();

    bool IsEmpty() const { return m_size.cx <= 0; }
    // The image's own pixels, premultiplied; none until they are read.
    const PixelBlock& Pixels() const { return m_source.Pixels(); }
    // The image's own pixel size, and how many of its pixels make one of the skin.
    SIZE Size() const { return m_size; }
    int Factor() const { return m_factor; }
    // Its size at `dpi`: its own times dpi / (96 x factor), rounded.
    SIZE SizeForDpi(int dpi) const;
    // The image at `dpi`: itself at its own DPI (96 x factor), otherwise
    // scaled from its own size to SizeForDpi on the first call for that DPI
    // and kept. Null without an image.
    HBITMAP ForDpi(int dpi);
    // The whole image stretched to `size`, made on the first call for that
    // size and kept. Null without an image.
    HBITMAP StretchedTo(const SIZE& size);
    // Copies the image at `dpi` into `rect` on `dc` from its top-left
    // corner, as much as fills `rect`.
    void Draw(HDC dc, const RECT& rect, int dpi);

private:
    // The pixels of m_taken, read once.
    bool ReadTaken();

    // A bitmap taken as it is, and the image's pixels as the scaling reads them.
    CBitmap m_taken;
    CPixelBitmap m_source;
    SIZE m_size{0, 0};
    int m_factor = 1;
    // The scaled image, and the DPI (0: stretched) and size it was made for.
    CPixelBitmap m_scaled;
    int m_scaledDpi = 0;
    SIZE m_scaledSize{0, 0};
};
