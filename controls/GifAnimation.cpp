#include "GifAnimation.h"

#include <process.h>

#include <utility>

namespace {

RECT FrameArea(const FrameRecord& frame) {
    return {frame.left, frame.top, frame.left + frame.width, frame.top + frame.height};
}

void WaitOrStop(HANDLE stopEvent, DWORD delayMs) {
    ::WaitForSingleObject(stopEvent, delayMs);
}

} // namespace

CGifAnimation::CGifAnimation(HWND control, std::shared_ptr<CPictureSurface> surface,
                             std::vector<FrameRecord> frames, SIZE pictureSize, COLORREF bkColour,
                             FrameWaitFn wait)
    : m_control(control), m_surface(std::move(surface)), m_frames(std::move(frames)),
      m_pictureSize(pictureSize), m_bkColour(bkColour),
      m_wait(wait ? std::move(wait) : FrameWaitFn(WaitOrStop)),
      m_stopEvent(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

CGifAnimation::~CGifAnimation() {
    // Only reached once no worker holds this object any more.
    if (m_thread)
        ::CloseHandle(m_thread);
    if (m_stopEvent)
        ::CloseHandle(m_stopEvent);
}

bool CGifAnimation::IsRunning() const {
    return m_thread && ::WaitForSingleObject(m_thread, 0) == WAIT_TIMEOUT;
}

bool CGifAnimation::Start() {
    if (IsRunning())
        return true; // never a second worker
    if (m_thread)
        ::CloseHandle(std::exchange(m_thread, nullptr));
    if (m_frames.empty() || !m_stopEvent)
        return false;
    // The worker's own reference, handed over to it.
    auto* reference = new std::shared_ptr<CGifAnimation>(shared_from_this());
    uintptr_t thread = ::_beginthreadex(nullptr, 0, &CGifAnimation::ThreadMain, reference,
                                        CREATE_SUSPENDED, nullptr);
    if (!thread) {
        delete reference;
        return false;
    }
    m_thread = reinterpret_cast<HANDLE>(thread);
    ::ResumeThread(m_thread);
    return true;
}

bool CGifAnimation::Stop(DWORD timeoutMs) {
    m_stopRequested = true;
    ::SetEvent(m_stopEvent);
    bool ended = true;
    if (m_thread) {
        ended = ::WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
        ::CloseHandle(std::exchange(m_thread, nullptr));
    }
    if (ended) {
        // A later start continues at the frame the worker stopped at.
        ::ResetEvent(m_stopEvent);
        m_stopRequested = false;
    }
    return ended;
}

unsigned __stdcall CGifAnimation::ThreadMain(void* reference) {
    std::unique_ptr<std::shared_ptr<CGifAnimation>> self(
        static_cast<std::shared_ptr<CGifAnimation>*>(reference));
    try {
        (*self)->AnimationLoop();
    } catch (...) {
        // Nothing may leave the thread; the animation just ends.
    }
    return 0;
}

void CGifAnimation::AnimationLoop() {
    Dispose(m_frames[m_frameIndex]);
    while (!StopRequested()) {
        const FrameRecord& frame = m_frames[m_frameIndex];
        if (frame.picture) {
            DrawFrame(frame);
            if (StopRequested())
                return;
            m_wait(m_stopEvent, frame.delayMs);
            if (StopRequested())
                return;
            Dispose(frame);
        }
        NextFrame();
    }
}

void CGifAnimation::DrawFrame(const FrameRecord& frame) {
    if (frame.disposal == 3)
        m_surface->SaveArea(FrameArea(frame));
    if (m_surface->Render(frame.picture.get(), FrameArea(frame)))
        ::InvalidateRect(m_control, nullptr, FALSE);
}

void CGifAnimation::Dispose(const FrameRecord& frame) {
    if (frame.disposal == 2)
        m_surface->Fill(FrameArea(frame), m_bkColour);
    else if (frame.disposal == 3)
        m_surface->RestoreArea();
}

// After the last frame the whole picture is cleared, so that every pass
// starts on a clear picture.
void CGifAnimation::NextFrame() {
    if (++m_frameIndex < m_frames.size())
        return;
    m_frameIndex = 0;
    m_surface->Fill(RECT{0, 0, m_pictureSize.cx, m_pictureSize.cy}, m_bkColour);
}
