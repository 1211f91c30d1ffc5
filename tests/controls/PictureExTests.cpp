// The animated picture: GIFs built byte by byte and other pictures loaded
// into a real control, frames stepped one by one and checked on the screen,
// the worker's lifetime, and malformed files.

#include "PictureEx.h"

#include "GifPictures.h"
#include "HostileImages.h"
#include "Pixels.h"
#include "TempDir.h"
#include "TestParent.h"
#include "UiPump.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>

namespace {

constexpr COLORREF kParentColour = RGB(0, 160, 0);

// Takes the place of the worker's wait, so that a test steps the animation:
// each wait is recorded and lasts until the test lets it go or the stop event
// is signalled (or, for a worker that is slow to stop, only until the test
// lets it go).
class CFrameStepper {
public:
    explicit CFrameStepper(bool ignoreStop = false)
        : m_ignoreStop(ignoreStop), m_go(::CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}
    ~CFrameStepper() { ::CloseHandle(m_go); }

    FrameWaitFn Wait() {
        return [this](HANDLE stopEvent, DWORD delayMs) { OnWait(stopEvent, delayMs); };
    }
    // Pumps messages until the worker has begun its `count`-th wait.
    bool AwaitWait(size_t count) {
        return PumpUntil([&] { return Delays().size() >= count; }, 5000);
    }
    // Ends the wait the worker is in.
    void Go() { ::SetEvent(m_go); }
    std::vector<DWORD> Delays() {
        std::lock_guard lock(m_lock);
        return m_delays;
    }

private:
    void OnWait(HANDLE stopEvent, DWORD delayMs) {
        {
            std::lock_guard lock(m_lock);
            m_delays.push_back(delayMs);
        }
        HANDLE events[] = {m_go, stopEvent};
        ::WaitForMultipleObjects(m_ignoreStop ? 1 : 2, events, FALSE, INFINITE);
    }

    bool m_ignoreStop;
    HANDLE m_go;
    std::mutex m_lock;
    std::vector<DWORD> m_delays;
};

class PictureExTest : public ::testing::Test {
protected:
    void SetUp() override { CreateControl(); }

    void CreateControl() {
        HWND child = m_parent.CreateChild("STATIC", "", SS_LEFT, RECT{20, 20, 120, 120}, 1017);
        ASSERT_TRUE(m_control.SubclassWindow(child));
    }
    BOOL Load(const Bytes& file) { return Load(AsString(file)); }
    BOOL Load(const std::string& file, DWORD claimedSize = 0) {
        HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, std::max<size_t>(file.size(), 1));
        std::memcpy(::GlobalLock(memory), file.data(), file.size());
        ::GlobalUnlock(memory);
        BOOL loaded = m_control.LoadFromMemory(
            memory, claimedSize ? claimedSize : static_cast<DWORD>(file.size()));
        ::GlobalFree(memory);
        return loaded;
    }
    SIZE ClientSize() {
        RECT client;
        m_control.GetClientRect(&client);
        return {client.right, client.bottom};
    }
    CScreenShot Shot(const std::function<bool(const CScreenShot&)>& check) {
        return WaitForScreen(m_control.m_hWnd, check);
    }

    CTestParent m_parent{100, 100, 300, 200, kParentColour};
    CFrameStepper m_stepper; // outlives the control's worker
    CPictureEx m_control;
};

Bytes Frame(int delay, int disposal, const Bytes& image) {
    return GraphicControl(delay, disposal) + image;
}

} // namespace

TEST_F(PictureExTest, SingleImageGifIsAStillPictureOfTheLogicalScreenSize) {
    ASSERT_TRUE(Load(GifScreen(30, 20) + Frame(10, 0, GifImage(0, 0, 30, 20, 1)) + Trailer()));
    EXPECT_EQ(30, ClientSize().cx) << "the control takes the picture's size";
    EXPECT_EQ(20, ClientSize().cy);
    EXPECT_EQ(0u, m_control.GetFrameCount());
    EXPECT_TRUE(m_control.StartDisplay());
    EXPECT_EQ(nullptr, m_control.GetWorkerThread());
    EXPECT_FALSE(m_control.IsAnimating());
    CScreenShot shot = Shot([](const CScreenShot& s) { return s.At(29, 19) == kGifBlue; });
    EXPECT_EQ(30 * 20, shot.Count(RECT{0, 0, 30, 20}, kGifBlue));
}

// Frame 0 paints the top half red and stays; frame 1 is cleared to the
// background after its delay (disposal 2); frame 2 is replaced by what lay
// under it (disposal 3); frame 3 stays until the clear at the end of the pass.
// Each step waits for the whole picture expected, then checks its parts.
TEST_F(PictureExTest, FramesPlayWithTheirDelaysAndDisposalsAndEachPassStartsClear) {
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const COLORREF menu = ::GetSysColor(COLOR_MENU);
    m_control.SetFrameWait(m_stepper.Wait());
    Bytes gif = GifScreen(20, 10) + Application() + Frame(0, 1, GifImage(0, 0, 20, 5, 0)) +
                Frame(4, 2, GifImage(2, 6, 4, 4, 1)) + Comment("between") +
                Frame(5, 3, GifImage(0, 0, 4, 4, 2)) + Frame(20, 0, GifImage(10, 6, 2, 2, 1)) +
                Trailer();
    ASSERT_TRUE(Load(gif));
    EXPECT_EQ(4u, m_control.GetFrameCount());
    EXPECT_FALSE(m_control.StartDisplay()) << "an animation reports FALSE";
    EXPECT_TRUE(m_control.IsAnimating());
    const RECT top{0, 0, 20, 5}, bottom{0, 5, 20, 10};
    const RECT frame1{2, 6, 6, 10}, frame2{0, 0, 4, 4}, frame3{10, 6, 12, 8};

    ASSERT_TRUE(m_stepper.AwaitWait(1));
    auto first = [&](const CScreenShot& s) {
        return s.Count(top, kGifRed) == 100 && s.Count(bottom, menu) == 100;
    };
    EXPECT_TRUE(first(Shot(first))) << "frame 0 over the surface's first fill, the menu colour";

    m_stepper.Go();
    ASSERT_TRUE(m_stepper.AwaitWait(2));
    auto second = [&](const CScreenShot& s) {
        return s.Count(frame1, kGifBlue) == 16 && s.Count(top, kGifRed) == 100;
    };
    EXPECT_TRUE(second(Shot(second)));

    m_stepper.Go();
    ASSERT_TRUE(m_stepper.AwaitWait(3));
    CScreenShot shot = Shot([&](const CScreenShot& s) { return s.Count(frame2, kGifGreen) == 16; });
    EXPECT_EQ(16, shot.Count(frame2, kGifGreen));
    EXPECT_EQ(16, shot.Count(frame1, face)) << "frame 1 cleared to the background";

    m_stepper.Go();
    ASSERT_TRUE(m_stepper.AwaitWait(4));
    shot = Shot([&](const CScreenShot& s) { return s.Count(frame3, kGifBlue) == 4; });
    EXPECT_EQ(4, shot.Count(frame3, kGifBlue));
    EXPECT_EQ(100, shot.Count(top, kGifRed)) << "frame 2 gave back what lay under it";
    EXPECT_EQ(16, shot.Count(frame1, face));

    m_stepper.Go();
    ASSERT_TRUE(m_stepper.AwaitWait(5));
    shot = Shot([&](const CScreenShot& s) { return s.Count(frame3, kGifBlue) == 0; });
    EXPECT_EQ(100, shot.Count(bottom, face)) << "cleared after the last frame";
    EXPECT_EQ(100, shot.Count(top, kGifRed));

    // Delays of 0 to 4 hundredths play as 100 ms, 5 as 50 ms.
    EXPECT_EQ((std::vector<DWORD>{100, 100, 50, 200, 100}), m_stepper.Delays());
}

TEST_F(PictureExTest, TransparentPixelsOfAFrameLeaveThePictureUnderThem) {
    m_control.SetFrameWait(m_stepper.Wait());
    std::vector<int> checks = {1, 3, 1, 3, 3, 1, 3, 1};
    Bytes gif = GifScreen(8, 8) + Frame(10, 0, GifImage(0, 0, 8, 8, 0)) +
                TransparentControl(10, 0, 3) + GifImage(0, 0, 4, 2, checks) + Trailer();
    ASSERT_TRUE(Load(gif));
    m_control.StartDisplay();
    m_stepper.Go();
    ASSERT_TRUE(m_stepper.AwaitWait(2));
    CScreenShot shot = Shot([](const CScreenShot& s) { return s.At(0, 0) == kGifBlue; });
    EXPECT_EQ(kGifBlue, shot.At(0, 0));
    EXPECT_EQ(kGifRed, shot.At(1, 0));
    EXPECT_EQ(kGifRed, shot.At(0, 1));
    EXPECT_EQ(kGifBlue, shot.At(1, 1));
    EXPECT_EQ(kGifRed, shot.At(6, 6));
}

TEST_F(PictureExTest, FramesWithoutGraphicControlPlayTheDefaultDelay) {
    m_control.SetFrameWait(m_stepper.Wait());
    ASSERT_TRUE(
        Load(GifScreen(4, 4) + GifImage(0, 0, 4, 4, 0) + GifImage(0, 0, 4, 4, 1) + Trailer()));
    m_control.StartDisplay();
    ASSERT_TRUE(m_stepper.AwaitWait(1));
    m_stepper.Go();
    ASSERT_TRUE(m_stepper.AwaitWait(2));
    EXPECT_EQ((std::vector<DWORD>{100, 100}), m_stepper.Delays());
}

TEST_F(PictureExTest, FrameTheDecoderRejectsIsDroppedAndTheOthersPlay) {
    m_control.SetFrameWait(m_stepper.Wait());
    Bytes broken = GifImage(0, 0, 8, 8, std::vector<int>{1, 1}); // too little data
    ASSERT_TRUE(Load(GifScreen(8, 8) + Frame(10, 0, GifImage(0, 0, 8, 8, 0)) +
                     Frame(20, 0, broken) + Frame(30, 0, GifImage(0, 0, 8, 8, 1)) + Trailer()));
    EXPECT_EQ(2u, m_control.GetFrameCount());
    m_control.StartDisplay();
    ASSERT_TRUE(m_stepper.AwaitWait(1));
    Shot([](const CScreenShot& s) { return s.At(4, 4) == kGifRed; });
    m_stepper.Go();
    ASSERT_TRUE(m_stepper.AwaitWait(2));
    CScreenShot shot = Shot([](const CScreenShot& s) { return s.At(4, 4) == kGifBlue; });
    EXPECT_EQ(64, shot.Count(RECT{0, 0, 8, 8}, kGifBlue));
    EXPECT_EQ((std::vector<DWORD>{100, 300}), m_stepper.Delays());
}

// With one frame left the animation would only blink; it is shown as a still
// picture where the frame lies.
TEST_F(PictureExTest, OnlyFrameTheDecoderTakesIsShownAsAStill) {
    Bytes broken = GifImage(0, 0, 8, 8, std::vector<int>{1, 1});
    ASSERT_TRUE(Load(GifScreen(8, 8) + Frame(10, 0, broken) +
                     Frame(10, 0, GifImage(2, 2, 4, 4, 2)) + Trailer()));
    EXPECT_EQ(0u, m_control.GetFrameCount());
    EXPECT_TRUE(m_control.StartDisplay());
    EXPECT_EQ(nullptr, m_control.GetWorkerThread());
    CScreenShot shot = Shot([](const CScreenShot& s) { return s.At(3, 3) == kGifGreen; });
    EXPECT_EQ(16, shot.Count(RECT{2, 2, 6, 6}, kGifGreen));
    EXPECT_EQ(::GetSysColor(COLOR_MENU), shot.At(0, 0));

    EXPECT_FALSE(Load(GifScreen(8, 8) + Frame(10, 0, broken) + Frame(10, 0, broken) + Trailer()));
    EXPECT_FALSE(m_control.StartDisplay());
}

TEST_F(PictureExTest, GifWithoutAnImageFailsToLoad) {
    EXPECT_FALSE(Load(std::string("GIF")));
    EXPECT_FALSE(Load(GifScreen(8, 8) + Trailer()));
    EXPECT_FALSE(Load(GifScreen(8, 8) + Application() + GraphicControl(10, 0) + Trailer()));
    EXPECT_FALSE(m_control.StartDisplay());
    EXPECT_EQ(0, m_control.GetPictureSize().cx);
}

TEST_F(PictureExTest, OtherFormatIsAStillPictureSizedFromItsExtent) {
    const COLORREF a = RGB(200, 10, 10), b = RGB(10, 200, 10), c = RGB(10, 10, 200);
    ASSERT_TRUE(Load(BmpFile({{a, b, c}, {c, b, a}})));
    EXPECT_EQ(3, ClientSize().cx);
    EXPECT_EQ(2, ClientSize().cy);
    EXPECT_TRUE(m_control.StartDisplay());
    EXPECT_EQ(nullptr, m_control.GetWorkerThread());
    CScreenShot shot = Shot([&](const CScreenShot& s) { return s.At(2, 1) == a; });
    EXPECT_EQ(a, shot.At(0, 0));
    EXPECT_EQ(b, shot.At(1, 0));
    EXPECT_EQ(c, shot.At(2, 0));
    EXPECT_EQ(c, shot.At(0, 1));
    EXPECT_FALSE(Load(std::string("not a picture in any format")));
    EXPECT_FALSE(Load(std::string()));
}

TEST_F(PictureExTest, LoadFromFileReadsTheWholeFile) {
    TempDir files;
    std::string path =
        files.Write("pic.gif", AsString(GifScreen(6, 6) + GifImage(0, 0, 6, 6, 3) + Trailer()));
    ASSERT_TRUE(m_control.LoadFromFile(path.c_str()));
    EXPECT_EQ(6, m_control.GetPictureSize().cx);
    EXPECT_FALSE(m_control.LoadFromFile(files.PathOf("missing.gif").c_str()));
    EXPECT_FALSE(m_control.LoadFromFile(files.Write("empty.gif", "").c_str()));
}

TEST_F(PictureExTest, StartDisplayKeepsOneWorkerAndAStopKeepsTheFrameReached) {
    m_control.SetFrameWait(m_stepper.Wait());
    ASSERT_TRUE(Load(GifScreen(4, 4) + Frame(10, 0, GifImage(0, 0, 4, 4, 0)) +
                     Frame(20, 0, GifImage(0, 0, 4, 4, 1)) + Frame(30, 0, GifImage(0, 0, 4, 4, 2)) +
                     Trailer()));
    m_control.StartDisplay();
    ASSERT_TRUE(m_stepper.AwaitWait(1));
    HANDLE worker = m_control.GetWorkerThread();
    ASSERT_NE(nullptr, worker);
    m_control.StartDisplay(); // as at every resize of the game window
    EXPECT_EQ(worker, m_control.GetWorkerThread());
    m_stepper.Go();
    ASSERT_TRUE(m_stepper.AwaitWait(2));
    m_stepper.Go();
    ASSERT_TRUE(m_stepper.AwaitWait(3));

    m_control.StopAnimation();
    EXPECT_FALSE(m_control.IsAnimating());
    EXPECT_EQ(nullptr, m_control.GetWorkerThread());
    m_control.StartDisplay();
    ASSERT_TRUE(m_stepper.AwaitWait(4));
    EXPECT_EQ((std::vector<DWORD>{100, 200, 300, 300}), m_stepper.Delays())
        << "the worker goes on with the frame it was stopped at";
}

TEST_F(PictureExTest, DestroyingTheWindowDuringALongDelayEndsTheWorkerAtOnce) {
    ASSERT_TRUE(Load(GifScreen(4, 4) + Frame(1000, 0, GifImage(0, 0, 4, 4, 0)) +
                     Frame(1000, 0, GifImage(0, 0, 4, 4, 1)) + Trailer()));
    m_control.StartDisplay();
    Shot([](const CScreenShot& s) { return s.At(0, 0) == kGifRed; });
    HANDLE worker = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), m_control.GetWorkerThread(),
                                  ::GetCurrentProcess(), &worker, SYNCHRONIZE, FALSE, 0));
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(worker, 0));
    m_control.DestroyWindow();
    // Had the worker not woken from its 10-second wait, the control would have
    // given up on it after 5 seconds with the worker still running.
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(worker, 0));
    ::CloseHandle(worker);
}

// The control gives up on a worker that does not stop within 5 seconds; the
// worker keeps the surface it draws into until it ends, then frees it.
TEST(PictureExLateWorker, KeepsItsSurfaceUntilItEnds) {
    CTestParent parent{100, 100, 300, 200, kParentColour};
    CFrameStepper stepper(true);
    CPictureEx control;
    HWND child = parent.CreateChild("STATIC", "", SS_LEFT, RECT{20, 20, 120, 120}, 1017);
    ASSERT_TRUE(control.SubclassWindow(child));
    control.SetFrameWait(stepper.Wait());
    std::string gif =
        AsString(GifScreen(4, 4) + GifImage(0, 0, 4, 4, 0) + GifImage(0, 0, 4, 4, 1) + Trailer());
    TempDir files;
    ASSERT_TRUE(control.LoadFromFile(files.Write("late.gif", gif).c_str()));
    control.StartDisplay();
    ASSERT_TRUE(stepper.AwaitWait(1));
    HDC surface = control.GetSurfaceDC();
    HANDLE worker = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), control.GetWorkerThread(),
                                  ::GetCurrentProcess(), &worker, SYNCHRONIZE, FALSE, 0));

    control.ReleaseAll();
    EXPECT_EQ(nullptr, control.GetSurfaceDC());
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(worker, 0));
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), ::GetObjectType(surface)) << "still the worker's";

    stepper.Go();
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(worker, 5000));
    EXPECT_EQ(0u, ::GetObjectType(surface)) << "freed when the worker ended";
    ::CloseHandle(worker);

    // The control loads and shows again as usual.
    ASSERT_TRUE(control.LoadFromFile(
        files.Write("still.gif", AsString(GifScreen(4, 4) + GifImage(0, 0, 4, 4, 2) + Trailer()))
            .c_str()));
    EXPECT_TRUE(control.StartDisplay());
}

TEST_F(PictureExTest, FileCutAtEveryOffsetLoadsItsCompleteFrames) {
    Bytes head = GifScreen(8, 8);
    std::vector<Bytes> frames = {Application() + Frame(10, 2, GifImage(0, 0, 8, 8, 0)),
                                 Comment("c") + Frame(20, 3, GifImage(1, 1, 2, 2, 1)),
                                 Frame(30, 0, GifImage(4, 4, 4, 4, 2))};
    Bytes gif = head;
    std::vector<size_t> frameEnds;
    for (const Bytes& frame : frames) {
        gif += frame;
        frameEnds.push_back(gif.size());
    }
    gif += Trailer();
    for (size_t length = 0; length <= gif.size(); ++length) {
        size_t complete = 0;
        while (complete < frameEnds.size() && frameEnds[complete] <= length)
            ++complete;
        std::string prefix = AsString(Bytes(gif.begin(), gif.begin() + length));
        BOOL loaded = Load(prefix);
        // One complete frame goes to the decoder with the rest of the file,
        // which the decoder may take or refuse.
        if (complete != 1) {
            ASSERT_EQ(complete > 1, loaded != FALSE) << length;
        }
        ASSERT_EQ(complete > 1 ? complete : 0, m_control.GetFrameCount()) << length;
    }
}

TEST_F(PictureExTest, MalformedGifsNeitherCrashNorHang) {
    Bytes good = Frame(10, 0, GifImage(0, 0, 4, 4, 0));
    // A colour table larger than the file.
    Bytes bigTable = GifScreen(4, 4);
    bigTable[10] = 0x87;
    EXPECT_FALSE(Load(bigTable + good + Trailer()));
    // A chain of data sub-blocks that runs off the end: the frames before it play.
    Bytes runaway = Bytes{0x2C} + Word(0) + Word(0) + Word(4) + Word(4) + Bytes{0, 2, 0xFF, 1, 2};
    EXPECT_TRUE(Load(GifScreen(4, 4) + good + good + runaway));
    EXPECT_EQ(2u, m_control.GetFrameCount());
    // Zero-size frames among good ones.
    EXPECT_TRUE(Load(GifScreen(4, 4) + good + Frame(10, 3, GifImage(0, 0, 0, 0, 0)) + good +
                     Frame(10, 2, GifImage(3, 3, 0, 0, 0)) + Trailer()));
    m_control.StartDisplay();
    m_control.StopAnimation();
    // A logical screen of 65535 x 65535, with an image of that size too.
    EXPECT_FALSE(Load(GifScreen(65535, 65535) + good + good + Trailer()));
    EXPECT_FALSE(Load(GifScreen(65535, 65535) + Image(0, 0, 65535, 65535) + Trailer()));
    EXPECT_FALSE(m_control.StartDisplay());
    // A size claimed beyond the memory block is not read past the block.
    std::string still = AsString(GifScreen(4, 4) + good + Trailer());
    EXPECT_TRUE(Load(still, static_cast<DWORD>(still.size()) + 1000000));
    EXPECT_FALSE(m_control.LoadFromMemory(nullptr, 100));
}

// Each of these crashed the platform's decoders; frames with their own table play.
TEST_F(PictureExTest, FilesTheDecodersCannotBeTrustedWithAreRefusedBeforeDecoding) {
    const std::string bitmap = BmpFile({{kGifRed, kGifBlue}, {kGifBlue, kGifRed}});
    const struct {
        const char* what;
        std::string file;
        BOOL loads;
    } files[] = {
        {"a GIF of one frame without colour tables", AsString(GifWithoutColourTables(1)), FALSE},
        {"a GIF of frames without colour tables", AsString(GifWithoutColourTables(3)), FALSE},
        {"an icon whose entry wraps 32 bits", IconWithWrappingEntry(), FALSE},
        {"a bitmap cut short", bitmap.substr(0, bitmap.size() - 4), FALSE},
        {"a bitmap", bitmap, TRUE},
    };
    for (const auto& file : files) {
        EXPECT_EQ(Load(file.file), file.loads) << file.what;
        EXPECT_FALSE(m_control.IsAnimating()) << file.what;
    }
    Bytes localTables = GifWithoutColourTables(0);
    localTables.pop_back(); // the trailer
    for (int index : {0, 1}) {
        Bytes image = GifImage(0, 0, 8, 8, index);
        image[9] = 0x81; // a table of its own, of four colours
        image.insert(image.begin() + 10, 12, 0x7F);
        localTables += GraphicControl(10, 0) + image;
    }
    EXPECT_TRUE(Load(localTables + Trailer()));
    EXPECT_EQ(2u, m_control.GetFrameCount());
}

TEST_F(PictureExTest, TenThousandFramesAreCapped) {
    Bytes gif = GifScreen(2, 2);
    for (int i = 0; i < 10000; ++i)
        gif += Frame(i, 2, GifImage(0, 0, 1, 1, i % 4));
    ASSERT_TRUE(Load(gif + Trailer()));
    EXPECT_EQ(kMaxGifFrames, m_control.GetFrameCount());
    m_control.StartDisplay();
    EXPECT_TRUE(m_control.IsAnimating());
}
