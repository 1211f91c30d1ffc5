// The floor of the start-up benchmark: only the platform work that the
// client's first screen cannot do without, done once each and in the
// client's order, then one window shown. COM and OLE, the XML DOM reading
// config.xml, GDI+ decoding the backdrop, a dialog from a template with its
// font, one per-pixel-alpha layered window, one WebBrowser control in place.
// Run in the staged package's folder, like the client.

#include "WinApp.h"
#include "Wnd.h"

#include <exdisp.h>
#include <gdiplus.h>
#include <msxml2.h>
#include <ole2.h>

namespace {

constexpr CLSID kClsidDomDocument = {
    0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kIidXmlDomDocument = {
    0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

void ReadConfiguration() {
    IXMLDOMDocument* doc = nullptr;
    if (FAILED(::CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_INPROC_SERVER,
                                  kIidXmlDomDocument, reinterpret_cast<void**>(&doc))))
        return;
    VARIANT file;
    ::VariantInit(&file);
    file.vt = VT_BSTR;
    file.bstrVal = ::SysAllocString(L"config.xml");
    VARIANT_BOOL loaded = VARIANT_FALSE;
    doc->put_async(VARIANT_FALSE);
    doc->load(file, &loaded);
    ::VariantClear(&file);
    doc->Release();
}

// The decoded backdrop as a 32-bit bitmap with its alpha channel.
HBITMAP DecodeBackdrop(SIZE* size) {
    using namespace Gdiplus;
    GpBitmap* bitmap = nullptr;
    HBITMAP result = nullptr;
    if (DllExports::GdipCreateBitmapFromFile(L"data\\login_bg.png", &bitmap) != Ok)
        return nullptr;
    UINT width = 0, height = 0;
    DllExports::GdipGetImageWidth(bitmap, &width);
    DllExports::GdipGetImageHeight(bitmap, &height);
    DllExports::GdipCreateHBITMAPFromBitmap(bitmap, &result, 0);
    DllExports::GdipDisposeImage(bitmap);
    *size = SIZE{static_cast<LONG>(width), static_cast<LONG>(height)};
    return result;
}

HWND CreateLayeredBackdrop(HINSTANCE instance, HBITMAP image, SIZE size) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &::DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "FloorBackdrop";
    ::RegisterClassA(&wc);
    HWND backdrop = ::CreateWindowExA(WS_EX_LAYERED, "FloorBackdrop", "floor", WS_POPUP, 100, 100,
                                      size.cx, size.cy, nullptr, nullptr, instance, nullptr);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HGDIOBJ previous = ::SelectObject(memory, image);
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::UpdateLayeredWindow(backdrop, screen, nullptr, &size, memory, &origin, 0, &blend, ULW_ALPHA);
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return backdrop;
}

INT_PTR CALLBACK DialogProcedure(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

} // namespace

// The framework's WinMain runs it; its loop then pumps until the end.
class CFloorApp : public CWinApp {
public:
    BOOL InitInstance() override {
        HINSTANCE instance = AfxGetInstanceHandle();
        ::OleInitialize(nullptr);
        AfxEnableControlContainer();
        ReadConfiguration();

        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_gdiplus, &input, nullptr);
        SIZE size{};
        HBITMAP image = DecodeBackdrop(&size);

        HWND backdrop = CreateLayeredBackdrop(instance, image, size);
        HWND dialog =
            ::CreateDialogParamA(instance, MAKEINTRESOURCEA(1), backdrop, &DialogProcedure, 0);
        m_content.Attach(dialog);
        RECT area{20, 60, 820, 540};
        m_browser.CreateControl(CLSID_WebBrowser, "", WS_VISIBLE, area, &m_content, 1001);
        ::ShowWindow(backdrop, SW_SHOW);
        ::ShowWindow(dialog, SW_SHOW);
        return TRUE;
    }

private:
    ULONG_PTR m_gdiplus = 0;
    CWnd m_content;
    CWnd m_browser;
};

CFloorApp theApp;
