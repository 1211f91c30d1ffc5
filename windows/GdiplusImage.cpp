#include "GdiplusImage.h"

#include "ImageFileCheck.h"
#include "PngHeader.h"

#include <gdiplus.h>
#include <wincodec.h>

using namespace Gdiplus;

namespace {

// The pixel size a PNG file's header gives; false for any other file.
bool PeekPngSize(const std::wstring& path, UINT* width, UINT* height) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    std::uint8_t header[kPngHeaderBytes] = {};
    DWORD read = 0;
    BOOL ok = ::ReadFile(file, header, sizeof(header), &read, nullptr);
    ::CloseHandle(file);
    std::optional<PngSize> size = ok ? PngHeaderSize(std::span(header, read)) : std::nullopt;
    if (!size)
        return false;
    *width = size->width;
    *height = size->height;
    return true;
}

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

bool CGdiplusImage::ReadSize(const std::wstring& path, UINT* width, UINT* height) {
    // The decoders trust the headers of the files they open.
    return PeekPngSize(path, width, height) ||
           (!ImageFileProblemAt(path) && PeekImageSize(path, width, height));
}

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
    // When no decoder can even read the header, GDI+ cannot either. A PNG's
    // header is read directly: some decoders decode the whole image to
    // answer, which would decode the backdrop twice on the way to the first
    // screen.
    if (!ReadSize(path, &width, &height))
        return false;
    if (width > kMaxSide || height > kMaxSide)
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

bool CGdiplusImage::HasAlphaChannel() const {
    PixelFormat format = 0;
    return m_image && DllExports::GdipGetImagePixelFormat(m_image, &format) == Ok &&
           (format & (PixelFormatAlpha | PixelFormatPAlpha)) != 0;
}

bool CGdiplusImage::HasTransparentPixels() const {
    const SIZE size = Size();
    if (size.cx <= 0 || size.cy <= 0)
        return false;
    GpRect all(0, 0, size.cx, size.cy);
    BitmapData data{};
    auto* bitmap = static_cast<GpBitmap*>(m_image);
    if (DllExports::GdipBitmapLockBits(bitmap, &all, ImageLockModeRead, PixelFormat32bppARGB,
                                       &data) != Ok)
        return false;
    bool found = false;
    for (UINT y = 0; y < data.Height && !found; ++y) {
        const auto* row =
            static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
        for (UINT x = 0; x < data.Width && !found; ++x)
            found = row[4 * x + 3] != 255;
    }
    DllExports::GdipBitmapUnlockBits(bitmap, &data);
    return found;
}

bool CGdiplusImage::ReadPremultiplied(const PixelBlock& to) const {
    const SIZE size = Size();
    if (!m_image || !to.pixels || to.width != size.cx || to.height != size.cy)
        return false;
    GpRect all(0, 0, size.cx, size.cy);
    BitmapData data{};
    data.Width = static_cast<UINT>(size.cx);
    data.Height = static_cast<UINT>(size.cy);
    data.Stride = 4 * size.cx;
    data.PixelFormat = PixelFormat32bppARGB;
    data.Scan0 = to.pixels;
    auto* bitmap = static_cast<GpBitmap*>(m_image);
    // Read as decoded and premultiplied here: the same result as GDI+'s own
    // premultiplied format, several times faster under Wine.
    if (DllExports::GdipBitmapLockBits(bitmap, &all, ImageLockModeRead | ImageLockModeUserInputBuf,
                                       PixelFormat32bppARGB, &data) != Ok)
        return false;
    DllExports::GdipBitmapUnlockBits(bitmap, &data);
    Premultiply(to);
    return true;
}
