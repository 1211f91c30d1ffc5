#include "TranslucentDialog.h"

#include "BitmapFile.h"
#include "DisplayDpi.h"
#include "GdiplusImage.h"
#include "DpiScale.h"
#include "ImageFileCheck.h"
#include "ImgWnd.h"
#include "TextConversion.h"

#include <cstdint>

namespace {

// Posted to itself once shown, to put the content window back on top.
constexpr UINT kRaiseContent = WM_USER + 0x100;

using UpdateLayeredWindowFn = BOOL(WINAPI*)(HWND, HDC, POINT*, SIZE*, HDC, POINT*, COLORREF,
                                            BLENDFUNCTION*, DWORD);

// Looked up at run time, as systems without layered windows lack it.
UpdateLayeredWindowFn FindUpdateLayeredWindow() {
    HMODULE user32 = ::LoadLibraryA("User32.DLL");
    return user32 ? reinterpret_cast<UpdateLayeredWindowFn>(
                        reinterpret_cast<void*>(::GetProcAddress(user32, "UpdateLayeredWindow")))
                  : nullptr;
}

} // namespace

DWORD CTranslucentDialog::SurfaceBytes(const SIZE& size) {
    if (size.cx <= 0 || size.cy <= 0)
        return 0;
    // Counted in 64 bits, where no size overflows; the bitmap header's size
    // field, and so the surface, holds at most a DWORD.
    const std::uint64_t bytes =
        4 * static_cast<std::uint64_t>(size.cx) * static_cast<std::uint64_t>(size.cy);
    if (bytes > MAXDWORD)
        return 0;
    return static_cast<DWORD>(bytes);
}

CTranslucentDialog::CTranslucentDialog(const std::wstring& imagePath, CImgWnd* content)
    : CDialog(CImgWnd::kTemplateId, nullptr), m_imagePath(imagePath), m_pContent(content) {
    Decode(ToNarrow(imagePath, CP_ACP), 1);
}

CTranslucentDialog::~CTranslucentDialog() = default;

const MessageMap* CTranslucentDialog::ThisMessageMap() {
    static const MessageMapEntry entries[] = {
        OnMessage<WM_ERASEBKGND, &CTranslucentDialog::OnEraseBkgnd>(),
        OnMessage<WM_MOVE, &CTranslucentDialog::OnMove>(),
        OnMessage<WM_SIZE, &CTranslucentDialog::OnSize>(),
        OnMessage<WM_CREATE, &CTranslucentDialog::OnCreate>(),
        OnMessage<WM_LBUTTONDOWN, &CTranslucentDialog::OnLButtonDown>(),
        OnMessage<WM_SHOWWINDOW, &CTranslucentDialog::OnShowWindow>(),
        OnMessage<kRaiseContent, &CTranslucentDialog::OnRaiseContent>(),
        OnMessage<WM_DPICHANGED, &CTranslucentDialog::OnDpiChanged>(),
    };
    static const MessageMap map{CDialog::ThisMessageMap(), entries};
    return &map;
}

LRESULT CTranslucentDialog::OnCreate(WPARAM, LPARAM) {
    ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, WS_EX_LAYERED);
    if (Default() == -1)
        return -1;
    m_pContent->CreateContent();
    m_pContent->ShowWindow(SW_SHOW);
    ModifyStyle(WS_CAPTION, WS_POPUP);
    return 0;
}

BOOL CTranslucentDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_icons.SetOn(m_hWnd, WindowDpi(m_hWnd));
    m_blend.BlendOp = AC_SRC_OVER;
    m_blend.BlendFlags = 0;
    m_blend.SourceConstantAlpha = 255;
    m_blend.AlphaFormat = AC_SRC_ALPHA;
    m_dpi = WindowDpi(m_hWnd);
    KeepDialogLayoutOnDpiChange(m_hWnd);
    ChooseImage();
    Render();
    return TRUE;
}

void CTranslucentDialog::ChooseImage() {
    const std::string base = ToNarrow(m_imagePath, CP_ACP);
    // The image at hand serves when the DPI calls for the same file.
    int factor = 1;
    ImageFileForDpi(base, m_dpi, &factor);
    if (factor == m_pixels.Factor())
        return;
    LoadImageForDpi(base, m_dpi, [this](const std::string& file, int loadedFactor) {
        return Decode(file, loadedFactor);
    });
}

bool CTranslucentDialog::Decode(const std::string& path, int factor) {
    m_pixels.Free();
    CGdiplusImage image;
    if (!image.Load(ToWide(path, CP_ACP)))
        return false;
    const PixelBlock pixels = m_pixels.Prepare(image.Size(), factor);
    if (!pixels.pixels || !image.ReadPremultiplied(pixels)) {
        m_pixels.Free();
        return false;
    }
    return true;
}

SIZE CTranslucentDialog::ShownSize() const {
    return m_pixels.SizeForDpi(m_dpi);
}

LRESULT CTranslucentDialog::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
    m_dpi = DpiOfChange(wParam);
    ChooseImage();
    // The image decides the size; the suggested place keeps the window under
    // the pointer.
    const RECT suggested = SuggestedRectOfChange(lParam);
    if (!::IsRectEmpty(&suggested))
        SetWindowPos(nullptr, suggested.left, suggested.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Render();
    if (m_pContent && m_pContent->m_hWnd)
        m_pContent->ChangeDpi(m_dpi);
    m_icons.SetOn(m_hWnd, m_dpi);
    return 0;
}

void CTranslucentDialog::OnRenderRequest(std::uintptr_t) {
    Render();
}

void CTranslucentDialog::Render() {
    const SIZE size = ShownSize();
    if (!(GetExStyle() & WS_EX_LAYERED))
        ModifyStyleEx(0, WS_EX_LAYERED);
    HDC windowDc = ::GetDC(m_hWnd);
    HDC memoryDc = ::CreateCompatibleDC(windowDc);
    PushImage(windowDc, memoryDc, size);
    ::DeleteDC(memoryDc);
    ::ReleaseDC(m_hWnd, windowDc);
}

void CTranslucentDialog::PushImage(HDC windowDc, HDC memoryDc, const SIZE& size) {
    // The image is scaled once for the DPI and kept: a render only pushes it.
    HBITMAP image = SurfaceBytes(size) != 0 ? m_pixels.ForDpi(m_dpi) : nullptr;
    if (!image)
        return;
    RECT window;
    GetWindowRect(&window);
    POINT destination{window.left, window.top};
    HGDIOBJ previous = ::SelectObject(memoryDc, image);
    if (auto update = FindUpdateLayeredWindow()) {
        POINT source{0, 0};
        SIZE pushed = size;
        update(m_hWnd, windowDc, &destination, &pushed, memoryDc, &source, 0, &m_blend, ULW_ALPHA);
    }
    ::SelectObject(memoryDc, previous);
    // Not every system reports the resize that pushing the image causes
    // (Wine sends no WM_SIZE for it), so the content window is glued here too.
    GlueContent();
}

void CTranslucentDialog::GlueContent() {
    if (!m_pContent || !m_pContent->m_hWnd)
        return;
    RECT client;
    GetClientRect(&client);
    ClientToScreen(&client);
    m_pContent->SetWindowPos(nullptr, client.left, client.top, client.right - client.left,
                             client.bottom - client.top, SWP_NOZORDER);
}

LRESULT CTranslucentDialog::OnMove(WPARAM, LPARAM lParam) {
    LRESULT result = Default();
    if (m_pContent && m_pContent->m_hWnd)
        m_pContent->SetWindowPos(nullptr, static_cast<short>(LOWORD(lParam)),
                                 static_cast<short>(HIWORD(lParam)), 0, 0,
                                 SWP_NOSIZE | SWP_NOZORDER);
    return result;
}

void CTranslucentDialog::OnSize(UINT type, int cx, int cy) {
    Default();
    if (m_pContent && m_pContent->m_hWnd)
        m_pContent->SetWindowPos(nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER);
    // Windows hides owned windows with their minimised owner and shows them
    // again on restore; Wine leaves them, so it is asked to here.
    if (type == SIZE_MINIMIZED)
        ::ShowOwnedPopups(m_hWnd, FALSE);
    else if (type == SIZE_RESTORED)
        ::ShowOwnedPopups(m_hWnd, TRUE);
}

LRESULT CTranslucentDialog::OnShowWindow(WPARAM shown, LPARAM) {
    LRESULT result = Default();
    // The content window is owned by this one and so belongs above it, and
    // it is where the user types. Wine stacks this window on top of it when
    // its image is pushed, so once shown the content window is activated,
    // which raises it again there and changes nothing on Windows.
    if (shown && m_pContent && m_pContent->m_hWnd)
        ::PostMessageA(m_hWnd, kRaiseContent, 0, 0);
    return result;
}

LRESULT CTranslucentDialog::OnRaiseContent(WPARAM, LPARAM) {
    if (m_pContent && m_pContent->m_hWnd && m_pContent->IsWindowVisible())
        ::SetWindowPos(m_pContent->m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return 0;
}

void CTranslucentDialog::OnLButtonDown(UINT, POINT) {
    if (m_bDragMove)
        SendMessage(WM_SYSCOMMAND, SC_MOVE + 2);
    Default();
}
