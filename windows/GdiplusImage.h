#pragma once
// An image decoded by GDI+, freed with its owner. Images whose pixels would
// need more memory than any screen can show are refused before decoding.

#include "PixelScaling.h"

#include <windows.h>

#include <string>

namespace Gdiplus {
class GpImage;
}

class CGdiplusImage {
public:
    CGdiplusImage() = default;
    ~CGdiplusImage();
    CGdiplusImage(const CGdiplusImage&) = delete;
    CGdiplusImage& operator=(const CGdiplusImage&) = delete;

    // Loads the file; false (and no image) when it is missing, undecodable,
    // too large or fails the image check (ImageCheck.h).
    bool Load(const std::wstring& path);
    void Free();
    bool IsLoaded() const { return m_image != nullptr; }
    // The pixel size; 0 x 0 without an image.
    SIZE Size() const;
    // Whether the image's pixel format carries alpha.
    bool HasAlphaChannel() const;
    // Whether any pixel is less than fully opaque: where a layered window
    // shaped by the image shows what lies below.
    bool HasTransparentPixels() const;
    // Copies the image's pixels, premultiplied, into `to`, a block of its
    // size; false when it cannot.
    bool ReadPremultiplied(const PixelBlock& to) const;

    // The pixel size the file's header gives, without decoding the pixels;
    // false when no decoder reads it or the file fails the image check.
    static bool ReadSize(const std::wstring& path, UINT* width, UINT* height);
    // The largest side accepted, in pixels.
    static constexpr UINT kMaxSide = 8192;

private:
    Gdiplus::GpImage* m_image = nullptr;
};
