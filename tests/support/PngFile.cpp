#include "PngFile.h"

#include "TextConversion.h"

#include <gdiplus.h>

#include <vector>

using namespace Gdiplus;

namespace {

constexpr CLSID kPngEncoder = {
    0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

} // namespace

bool WritePng(const std::string& path, int width, int height,
              const std::function<UINT32(int x, int y)>& pixel) {
    std::vector<UINT32> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                pixel(x, y);
    GpBitmap* bitmap = nullptr;
    if (DllExports::GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                              reinterpret_cast<BYTE*>(pixels.data()),
                                              &bitmap) != Ok)
        return false;
    std::wstring widePath = ToWide(path, CP_ACP);
    bool saved =
        DllExports::GdipSaveImageToFile(bitmap, widePath.c_str(), &kPngEncoder, nullptr) == Ok;
    DllExports::GdipDisposeImage(bitmap);
    return saved;
}

CGdiplusSession::CGdiplusSession() {
    GdiplusStartupInput input;
    GdiplusStartup(&m_token, &input, nullptr);
}

CGdiplusSession::~CGdiplusSession() {
    GdiplusShutdown(m_token);
}
