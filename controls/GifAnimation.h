#pragma once
// The animation of a GIF with several frames: a worker thread renders the
// frames one after another into the picture's surface, waits each frame's
// delay, disposes of it and starts over after the last, until it is told to
// stop. The worker holds this object (and through it the frames and the
// surface) for as long as it runs, so a worker that is late to stop never
// finds them released under it.

#include "PictureSurface.h"

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

struct FrameRecord {
    PicturePtr picture; // the frame's standalone GIF, decoded
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    unsigned delayMs = 0;
    int disposal = 0; // 2 restores the background, 3 what lay under the frame
};

// How the worker waits out a frame: returns when the time is up or the stop
// event is signalled, whichever comes first.
using FrameWaitFn = std::function<void(HANDLE stopEvent, DWORD delayMs)>;

class CGifAnimation : public std::enable_shared_from_this<CGifAnimation> {
public:
    CGifAnimation(HWND control, std::shared_ptr<CPictureSurface> surface,
                  std::vector<FrameRecord> frames, SIZE pictureSize, COLORREF bkColour,
                  FrameWaitFn wait);
    ~CGifAnimation();
    CGifAnimation(const CGifAnimation&) = delete;
    CGifAnimation& operator=(const CGifAnimation&) = delete;

    // Starts the worker unless one is running already; false when none runs.
    bool Start();
    // Asks the worker to stop and waits for it at most `timeoutMs`; false
    // when it is still running then. Such a worker ends at its next check.
    bool Stop(DWORD timeoutMs);
    bool IsRunning() const;
    HANDLE GetWorkerThread() const { return m_thread; }
    size_t GetFrameCount() const { return m_frames.size(); }

private:
    static unsigned __stdcall ThreadMain(void* self);
    void AnimationLoop();
    bool StopRequested() const { return m_stopRequested.load(); }
    void DrawFrame(const FrameRecord& frame);
    void Dispose(const FrameRecord& frame);
    void NextFrame();

    HWND m_control;
    std::shared_ptr<CPictureSurface> m_surface;
    std::vector<FrameRecord> m_frames;
    SIZE m_pictureSize;
    COLORREF m_bkColour;
    FrameWaitFn m_wait;
    unsigned m_frameIndex = 0;
    std::atomic<bool> m_stopRequested{false};
    HANDLE m_stopEvent;
    HANDLE m_thread = nullptr;
};
