#pragma once
// A static control that shows a picture file: a still image in any format the
// platform's picture component decodes, or an animated GIF played in a loop
// by a worker thread of its own. The picture is composed in an off-screen
// surface the size of the picture, which the control copies when it paints;
// the control resizes itself to the picture.

#include "Controls.h"
#include "GifAnimation.h"
#include "GifBlocks.h"

#include <memory>
#include <vector>

class CPictureEx : public CStatic {
public:
    CPictureEx();
    ~CPictureEx() override;

    BOOL LoadFromFile(const char* path);
    // Decodes `size` bytes of `memory`, which stays the caller's.
    BOOL LoadFromMemory(HGLOBAL memory, DWORD size);
    // Shows a still picture (TRUE), or starts the worker of an animation
    // unless it runs already (FALSE, as when nothing is loaded).
    BOOL StartDisplay();
    void StopAnimation();
    void ReleaseAll();

    // Pictures loaded from now on are skin images drawn at `dpi`, `factor`
    // of whose pixels make one pixel of the skin: the control takes the
    // picture's size times dpi / (96 x factor), and the picture is stretched
    // to it.
    void SetDrawScale(int dpi, int factor);

    SIZE GetPictureSize() const { return m_pictureSize; }
    // The control's size for the picture.
    SIZE GetShownSize() const;
    // Decoded frames of an animation; 0 for a still picture.
    size_t GetFrameCount() const { return m_animation ? m_animation->GetFrameCount() : 0; }
    BOOL IsAnimating() const { return m_animation && m_animation->IsRunning(); }
    HANDLE GetWorkerThread() const {
        return m_animation ? m_animation->GetWorkerThread() : nullptr;
    }
    HDC GetSurfaceDC() const { return m_surface ? m_surface->GetSafeHdc() : nullptr; }
    // How animations loaded from now on wait out a frame (by default on the
    // stop event, for the frame's delay).
    void SetFrameWait(FrameWaitFn wait) { m_frameWait = std::move(wait); }

    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

protected:
    BOOL PrepareSurface(int width, int height);
    void OnPaint();
    void OnDestroy();

private:
    BOOL LoadGif(HGLOBAL memory, GifData data);
    BOOL LoadOtherFormat(HGLOBAL memory);
    std::vector<FrameRecord> DecodeFrames(const std::vector<GifFrame>& frames) const;
    void ResetFields();

    SIZE m_pictureSize{0, 0};
    int m_drawDpi = 96;
    int m_imageDpi = 96;
    COLORREF m_bkColour = RGB(255, 255, 255);
    DWORD m_dataSize = 0;
    BOOL m_isGif = FALSE;
    BOOL m_ready = FALSE;
    std::shared_ptr<CPictureSurface> m_surface;
    PicturePtr m_picture;              // a still picture, or the one frame of a GIF that decoded
    RECT m_stillArea{};                // where the still picture goes on the surface
    std::vector<FrameRecord> m_frames; // decoded, until the surface is ready
    std::shared_ptr<CGifAnimation> m_animation;
    FrameWaitFn m_frameWait;
};
