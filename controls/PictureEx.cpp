#include "PictureEx.h"

#include "DpiScale.h"
#include "ImageCheck.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// A worker that has not ended this long after the stop signal is left to end
// on its own.
constexpr DWORD kStopTimeoutMs = 5000;

// Memory bounds, whatever a file announces: a picture larger than this many
// pixels (256 MB at 32 bits a pixel) is not loaded, and as every decoded
// frame is kept for the control's lifetime, a frame that would take the
// decoded frames past this many pixels in all is dropped.
constexpr std::uint64_t kMaxPicturePixels = std::uint64_t{64} << 20;
constexpr std::uint64_t kMaxDecodedPixels = kMaxPicturePixels;

PicturePtr LoadPicture(HGLOBAL memory, DWORD size, BOOL deleteOnRelease) {
    IStream* stream = nullptr;
    if (FAILED(::CreateStreamOnHGlobal(memory, deleteOnRelease, &stream))) {
        if (deleteOnRelease)
            ::GlobalFree(memory);
        return nullptr;
    }
    IPicture* picture = nullptr;
    HRESULT result = ::OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                      reinterpret_cast<void**>(&picture));
    stream->Release();
    return PicturePtr(SUCCEEDED(result) ? picture : nullptr);
}

// A frame's standalone GIF, decoded from fixed memory the stream frees.
PicturePtr LoadFrame(const GifFrame& frame) {
    const std::vector<std::uint8_t>& bytes = frame.standaloneGif;
    HGLOBAL memory = ::GlobalAlloc(GMEM_FIXED, bytes.size());
    if (!memory)
        return nullptr;
    std::memcpy(memory, bytes.data(), bytes.size());
    return LoadPicture(memory, static_cast<DWORD>(bytes.size()), TRUE);
}

} // namespace

CPictureEx::CPictureEx() = default;

CPictureEx::~CPictureEx() {
    ReleaseAll();
}

const MessageMap* CPictureEx::ThisMessageMap() {
    static const MessageMapEntry entries[] = {
        OnMessage<WM_PAINT, &CPictureEx::OnPaint>(),
        OnMessage<WM_DESTROY, &CPictureEx::OnDestroy>(),
    };
    static const MessageMap map{CStatic::ThisMessageMap(), entries};
    return &map;
}

BOOL CPictureEx::LoadFromFile(const char* path) {
    HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    LARGE_INTEGER length{};
    HGLOBAL memory = nullptr;
    if (::GetFileSizeEx(file, &length) && length.QuadPart <= MAXDWORD)
        memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_NODISCARD,
                               static_cast<SIZE_T>(std::max<LONGLONG>(length.QuadPart, 1)));
    void* buffer = memory ? ::GlobalLock(memory) : nullptr;
    DWORD size = static_cast<DWORD>(length.QuadPart);
    DWORD read = 0;
    BOOL readAll = buffer && ::ReadFile(file, buffer, size, &read, nullptr) && read == size;
    if (buffer)
        ::GlobalUnlock(memory);
    ::CloseHandle(file);
    BOOL loaded = readAll && LoadFromMemory(memory, size);
    if (memory)
        ::GlobalFree(memory);
    return loaded;
}

BOOL CPictureEx::LoadFromMemory(HGLOBAL memory, DWORD size) {
    ReleaseAll();
    const auto* data = static_cast<const std::uint8_t*>(::GlobalLock(memory));
    if (!data)
        return FALSE;
    // Never read past the block, whatever size the caller names.
    m_dataSize = static_cast<DWORD>(std::min<SIZE_T>(size, ::GlobalSize(memory)));
    GifData bytes(data, m_dataSize);
    if (ImageFileProblem(bytes)) {
        ::GlobalUnlock(memory);
        return FALSE;
    }
    BOOL loaded = FALSE;
    if (IsGif(bytes)) {
        m_isGif = TRUE;
        loaded = LoadGif(memory, bytes); // unlocks
    } else {
        ::GlobalUnlock(memory);
        loaded = LoadOtherFormat(memory);
    }
    if (!loaded || !PrepareSurface(m_pictureSize.cx, m_pictureSize.cy)) {
        ReleaseAll();
        return FALSE;
    }
    if (m_frames.size() > 1) {
        m_animation = std::make_shared<CGifAnimation>(m_hWnd, m_surface, std::move(m_frames),
                                                      m_pictureSize, m_bkColour, m_frameWait);
    }
    m_frames.clear();
    return TRUE;
}

// A GIF with one frame goes to the decoder whole; one with more is cut into
// standalone single-frame GIFs, each decoded once, here.
BOOL CPictureEx::LoadGif(HGLOBAL memory, GifData data) {
    std::optional<GifScreen> screen = ReadGifScreen(data);
    size_t count = CountGifFrames(data);
    std::vector<GifFrame> cut = count > 1 ? CutGifFrames(data) : std::vector<GifFrame>{};
    ::GlobalUnlock(memory);
    if (count == 0 || !screen)
        return FALSE;
    m_pictureSize = {screen->width, screen->height};
    if (count == 1) {
        m_picture = LoadPicture(memory, m_dataSize, FALSE);
        m_stillArea = {0, 0, m_pictureSize.cx, m_pictureSize.cy};
        return m_picture != nullptr;
    }
    m_frames = DecodeFrames(cut);
    if (m_frames.size() == 1) {
        // The only frame the decoder took is shown where it lies, as a still.
        FrameRecord& only = m_frames.front();
        m_stillArea = {only.left, only.top, only.left + only.width, only.top + only.height};
        m_picture = std::move(only.picture);
        m_frames.clear();
    }
    return m_picture || !m_frames.empty();
}

std::vector<FrameRecord> CPictureEx::DecodeFrames(const std::vector<GifFrame>& frames) const {
    std::vector<FrameRecord> decoded;
    std::uint64_t budget = kMaxDecodedPixels;
    for (const GifFrame& frame : frames) {
        std::uint64_t pixels = std::uint64_t(frame.width) * std::uint64_t(frame.height);
        if (pixels > budget)
            continue;
        PicturePtr picture = LoadFrame(frame);
        if (!picture)
            continue; // the decoder's rejects are dropped; the others play
        budget -= pixels;
        decoded.push_back(FrameRecord{std::move(picture), frame.width, frame.height, frame.left,
                                      frame.top, frame.delayMs, frame.disposal});
    }
    return decoded;
}

// Still pictures are sized from their extent at the skin's 96 DPI, and then
// scaled like the rest of the skin.
BOOL CPictureEx::LoadOtherFormat(HGLOBAL memory) {
    m_picture = LoadPicture(memory, m_dataSize, FALSE);
    if (!m_picture)
        return FALSE;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    m_picture->get_Width(&width);
    m_picture->get_Height(&height);
    m_pictureSize.cx = ::MulDiv(width, kSkinDpi, 2540);
    m_pictureSize.cy = ::MulDiv(height, kSkinDpi, 2540);
    m_stillArea = {0, 0, m_pictureSize.cx, m_pictureSize.cy};
    return TRUE;
}

BOOL CPictureEx::PrepareSurface(int width, int height) {
    if (!m_hWnd)
        return FALSE; // no window, no device context to be compatible with
    if (width < 0 || height < 0 || std::uint64_t(width) * std::uint64_t(height) > kMaxPicturePixels)
        return FALSE;
    const SIZE shown = GetShownSize();
    SetWindowPos(nullptr, 0, 0, shown.cx, shown.cy, SWP_NOMOVE | SWP_NOZORDER);
    CClientDC dc(this);
    auto surface = std::make_shared<CPictureSurface>(&dc, width, height);
    if (!surface->IsValid())
        return FALSE;
    m_bkColour = ::GetSysColor(COLOR_BTNFACE);
    surface->Fill(RECT{0, 0, width, height}, reinterpret_cast<HBRUSH>(COLOR_MENU + 1));
    m_surface = std::move(surface);
    m_ready = TRUE;
    return TRUE;
}

BOOL CPictureEx::StartDisplay() {
    if (!m_ready)
        return FALSE;
    if (m_animation) {
        m_animation->Start();
        return FALSE;
    }
    if (!m_picture || !m_surface->Render(m_picture.get(), m_stillArea))
        return FALSE;
    Invalidate(FALSE);
    return TRUE;
}

void CPictureEx::StopAnimation() {
    if (!m_animation || m_animation->Stop(kStopTimeoutMs))
        return;
    // The worker is still busy: it keeps the frames and the surface it holds
    // and frees them when it ends. This control lets go of them now.
    m_animation.reset();
    m_surface.reset();
    m_ready = FALSE;
}

void CPictureEx::ReleaseAll() {
    StopAnimation();
    ResetFields();
}

void CPictureEx::ResetFields() {
    m_animation.reset();
    m_frames.clear();
    m_picture.reset();
    m_surface.reset();
    m_stillArea = {};
    m_pictureSize = {0, 0};
    m_bkColour = RGB(255, 255, 255);
    m_dataSize = 0;
    m_isGif = FALSE;
    m_ready = FALSE;
}

void CPictureEx::SetDrawScale(int dpi, int factor) {
    m_drawDpi = dpi > 0 ? dpi : kSkinDpi;
    m_imageDpi = kSkinDpi * (factor > 0 ? factor : 1);
}

SIZE CPictureEx::GetShownSize() const {
    return SIZE{ScaleBy(m_pictureSize.cx, m_drawDpi, m_imageDpi),
                ScaleBy(m_pictureSize.cy, m_drawDpi, m_imageDpi)};
}

void CPictureEx::OnPaint() {
    CPaintDC dc(this);
    if (m_surface)
        m_surface->CopyTo(dc, m_pictureSize, GetShownSize());
}

void CPictureEx::OnDestroy() {
    StopAnimation();
    Default();
}
