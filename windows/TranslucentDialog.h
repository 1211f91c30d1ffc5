#pragma once
// The backdrop of a shaped window: a borderless layered dialog showing one
// image with per-pixel alpha. It creates the content window over itself,
// keeps it glued to its own position and size, and lets the user drag both.

#include "Dialog.h"
#include "RenderListener.h"
#include "ScaledBitmap.h"
#include "WindowIcons.h"

#include <string>

class CImgWnd;

class CTranslucentDialog : public CDialog, public IRenderListener {
public:
    CTranslucentDialog(const std::wstring& imagePath, CImgWnd* content);
    ~CTranslucentDialog() override;

    BOOL OnInitDialog() override;
    // Draws the image at the window's DPI and pushes it to the screen.
    void Render();
    // The size the image is shown at: its pixel size scaled to the DPI.
    SIZE ShownSize() const;
    // The DPI the window is shown at.
    int Dpi() const { return m_dpi; }
    // Bytes of the 32-bit surface an image of `size` is pushed through, or 0
    // when the size is empty or the surface would not fit in memory.
    static DWORD SurfaceBytes(const SIZE& size);
    void OnRenderRequest(std::uintptr_t context) override;

    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

private:
    LRESULT OnEraseBkgnd(WPARAM, LPARAM) { return TRUE; }
    LRESULT OnCreate(WPARAM, LPARAM);
    LRESULT OnMove(WPARAM, LPARAM);
    void OnSize(UINT type, int cx, int cy);
    void OnLButtonDown(UINT flags, POINT point);
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
    // Loads the image's twice-size version when the DPI calls for it and
    // there is one, and the image itself otherwise, decoded into m_pixels.
    void ChooseImage();
    LRESULT OnShowWindow(WPARAM shown, LPARAM);
    LRESULT OnRaiseContent(WPARAM, LPARAM);
    void PushImage(HDC windowDc, HDC memoryDc, const SIZE& size);
    // Decodes the image file at `path` into m_pixels; false when it does not load.
    bool Decode(const std::string& path, int factor);
    // Puts the content window exactly over this window's client area.
    void GlueContent();

    CWindowIcons m_icons;
    std::wstring m_imagePath;
    // The image, decoded once and kept scaled for the DPI.
    CScaledBitmap m_pixels;
    int m_dpi = 96;
    BLENDFUNCTION m_blend{};
    bool m_bDragMove = true;
    CImgWnd* m_pContent = nullptr;
};
