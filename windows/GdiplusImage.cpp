#include "GdiplusImage.h"

#include <gdiplus.h>
#include <wincodec.h>

using namespace Gdiplus;

namespace {

// The image's pixel size read from its header by the platform's decoders,
// without decoding the pixels; false when no decoder reads the file.
bool PeekImageSize(const std::wstring& path, UINT* width, UINT* height) {
    IWICImagingFactory* factory = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(&factory))))
        return false;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    bool read =
        SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand, &decoder)) &&
        SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(width, height));
    if (frame)
        frame->Release();
    if (decoder)
        decoder->Release();
    factory->Release();
    return read;
}

} // namespace

CGdiplusImage::~CGdiplusImage() {
    Free();
}

void CGdiplusImage::Free() {
    if (m_image)
        DllExports::GdipDisposeImage(m_image);
    m_image = nullptr;
}

bool CGdiplusImage::Load(const std::wstring& path) {
    Free();
    UINT width = 0;
    UINT height = 0;
    // When no decoder can even read the header, GDI+ cannot either.
    if (!PeekImageSize(path, &width, &height) || width > kMaxSide || height > kMaxSide)
        return false;
    GpImage* image = nullptr;
    if (DllExports::GdipLoadImageFromFile(path.c_str(), &image) != Ok)
        return false;
    m_image = image;
    return true;
}

SIZE CGdiplusImage::Size() const {
    UINT width = 0;
    UINT height = 0;
    if (m_image) {
        DllExports::GdipGetImageWidth(m_image, &width);
        DllExports::GdipGetImageHeight(m_image, &height);
    }
    return SIZE{static_cast<LONG>(width), static_cast<LONG>(height)};
}

void CGdiplusImage::DrawOn(HDC dc, const SIZE& size) const {
    if (!m_image)
        return;
    GpGraphics* graphics = nullptr;
    if (DllExports::GdipCreateFromHDC(dc, &graphics) != Ok)
        return;
    DllExports::GdipSetSmoothingMode(graphics, SmoothingModeNone);
    DllExports::GdipDrawImageRectI(graphics, m_image, 0, 0, size.cx, size.cy);
    DllExports::GdipDeleteGraphics(graphics);
}
