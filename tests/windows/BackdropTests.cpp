// The translucent backdrop and the colour-keyed content window over it, as
// real layered windows under the X server.

#include "GdiplusImage.h"
#include "HostileImages.h"
#include "ImgWnd.h"
#include "Pixels.h"
#include "PngFile.h"
#include "TextConversion.h"
#include "TempDir.h"
#include "TestDpi.h"
#include "TranslucentDialog.h"
#include "UiPump.h"
#include "UserInput.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

constexpr UINT kPlaceholder = 1001;
constexpr UINT kCloseButton = 1000;
constexpr UINT kMinimiseButton = 1002;
constexpr UINT_PTR kCheckTimer = 7;

constexpr UINT32 kOpaqueRed = 0xFFFF0000;
constexpr UINT32 kClear = 0x00000000;
constexpr COLORREF kUnderlayColour = RGB(255, 255, 0);

// A content window whose controls sit where the test wants them and which
// runs the test's checks once the backdrop's loop is running.
class CTestContent : public CImgWnd {
public:
    explicit CTestContent(const std::wstring& image) : CImgWnd(image) {}

    // Run one a timer tick, once the backdrop's loop is running; the
    // backdrop is closed after the last.
    std::vector<std::function<void(CTestContent&)>> steps;
    bool greenPlaceholder = false;
    bool enterReachedOk = false;

    BOOL OnInitDialog() override {
        CImgWnd::OnInitDialog();
        ::MoveWindow(::GetDlgItem(m_hWnd, kPlaceholder), 20, 20, 40, 40, TRUE);
        ::MoveWindow(::GetDlgItem(m_hWnd, kCloseButton), 20, 100, 30, 20, TRUE);
        ::MoveWindow(::GetDlgItem(m_hWnd, kMinimiseButton), 150, 100, 30, 20, TRUE);
        ::SetTimer(m_hWnd, kCheckTimer, 300, nullptr);
        return TRUE;
    }
    HBRUSH OnCtlColorTest(CDC* dc, CWnd* control, UINT kind) {
        if (greenPlaceholder && kind == CTLCOLOR_STATIC && control->GetDlgCtrlID() == kPlaceholder)
            return m_green;
        return CImgWnd::OnCtlColor(dc, control, kind);
    }
    void OnTimer() {
        if (m_inStep)
            return; // a step that pumps messages sees its own timer again
        if (m_nextStep < steps.size()) {
            m_inStep = true;
            steps[m_nextStep++](*this);
            m_inStep = false;
            return;
        }
        ::KillTimer(m_hWnd, kCheckTimer);
        if (m_pBackdrop->m_hWnd)
            m_pBackdrop->SendMessage(WM_CLOSE);
    }
    static const MessageMap* ThisMessageMap() {
        static const MessageMapEntry entries[] = {
            OnMessage<WM_CTLCOLOR, &CTestContent::OnCtlColorTest>(),
            OnMessage<WM_TIMER, &CTestContent::OnTimer>(),
        };
        static const MessageMap map{CImgWnd::ThisMessageMap(), entries};
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

private:
    CBrush m_green{RGB(0, 255, 0)};
    size_t m_nextStep = 0;
    bool m_inStep = false;
};

// A plain window of one colour under the backdrop, to see through it.
class CUnderlay : public CWnd {
public:
    CUnderlay() {
        RECT rect{0, 0, 400, 300};
        CreateEx(WS_EX_TOOLWINDOW, AfxRegisterWndClass(0, nullptr, m_brush), "underlay",
                 WS_POPUP | WS_VISIBLE, rect, nullptr, 0);
        PumpFor(200);
    }
    ~CUnderlay() override { DestroyWindow(); }

private:
    CBrush m_brush{kUnderlayColour};
};

class BackdropTest : public ::testing::Test {
protected:
    // A 200 x 150 image: the left half opaque red, the right half fully clear.
    std::wstring HalfOpaqueImage() {
        std::string path = m_dir.PathOf("half.png");
        EXPECT_TRUE(
            WritePng(path, 200, 150, [](int x, int) { return x < 100 ? kOpaqueRed : kClear; }));
        return ToWide(path, CP_ACP);
    }

    CGdiplusSession m_gdiplus;
    TempDir m_dir;
};

bool SameColour(COLORREF a, COLORREF b) {
    auto within = [](int x, int y) { return x - y < 8 && y - x < 8; };
    return within(GetRValue(a), GetRValue(b)) && within(GetGValue(a), GetGValue(b)) &&
           within(GetBValue(a), GetBValue(b));
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

RECT WindowRect(HWND hWnd) {
    RECT rect{};
    ::GetWindowRect(hWnd, &rect);
    return rect;
}

} // namespace

TEST_F(BackdropTest, TakesTheImageSizeAndTheContentWindowCoversItAndFollowsMoves) {
    CTestContent content(HalfOpaqueImage());
    RECT backdrop{}, contentRect{}, movedBackdrop{}, movedContent{};
    content.steps.push_back([&](CTestContent& c) {
        backdrop = WindowRect(c.Backdrop()->m_hWnd);
        contentRect = WindowRect(c.m_hWnd);
        c.Backdrop()->SetWindowPos(nullptr, 120, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        movedBackdrop = WindowRect(c.Backdrop()->m_hWnd);
        movedContent = WindowRect(c.m_hWnd);
    });
    EXPECT_EQ(content.DoModal(), IDCANCEL);
    EXPECT_EQ(backdrop.right - backdrop.left, 200);
    EXPECT_EQ(backdrop.bottom - backdrop.top, 150);
    EXPECT_TRUE(::EqualRect(&backdrop, &contentRect))
        << Describe(backdrop) << " " << Describe(contentRect);
    EXPECT_EQ(movedBackdrop.left, 120);
    EXPECT_EQ(movedBackdrop.top, 80);
    EXPECT_TRUE(::EqualRect(&movedBackdrop, &movedContent))
        << Describe(movedBackdrop) << " " << Describe(movedContent);
    EXPECT_EQ(content.m_hWnd, nullptr);
}

TEST_F(BackdropTest, OpaquePixelsShowTheImageClearOnesAndKeyColouredControlsShowWhatIsBelow) {
    CUnderlay underlay;
    CTestContent content(HalfOpaqueImage());
    content.greenPlaceholder = true;
    COLORREF opaqueArea = 0, clearArea = 0, keyedControl = 0, plainControl = 0;
    content.steps.push_back([&](CTestContent& c) {
        RECT r = WindowRect(c.Backdrop()->m_hWnd);
        opaqueArea = ScreenPixel({r.left + 80, r.top + 10});
        clearArea = ScreenPixel({r.left + 150, r.top + 60});
        keyedControl = ScreenPixel({r.left + 40, r.top + 40});
        plainControl = ScreenPixel({r.left + 35, r.top + 110});
    });
    content.DoModal();
    EXPECT_TRUE(SameColour(opaqueArea, RGB(255, 0, 0))) << std::hex << opaqueArea;
    EXPECT_TRUE(SameColour(clearArea, kUnderlayColour)) << std::hex << clearArea;
    EXPECT_TRUE(SameColour(keyedControl, RGB(255, 0, 0))) << std::hex << keyedControl;
    EXPECT_FALSE(SameColour(plainControl, RGB(255, 0, 0))) << std::hex << plainControl;
    EXPECT_FALSE(SameColour(plainControl, RGB(0, 255, 0))) << std::hex << plainControl;
}

TEST_F(BackdropTest, AtTheDisplayDpiTheImageScalesAndKeepsItsShapeFromItsSharperVersion) {
    const int dpi = PrefixDpi();
    auto scaled = [dpi](int length) { return ScaleToDpi(length, dpi); };
    CUnderlay underlay;
    // The twice-size version shows blue where the image shows red.
    constexpr UINT32 kOpaqueBlue = 0xFF0000FF;
    const std::wstring image = HalfOpaqueImage();
    ASSERT_TRUE(WritePng(m_dir.PathOf("half@2x.png"), 400, 300,
                         [](int x, int) { return x < 200 ? kOpaqueBlue : kClear; }));
    CTestContent content(image);
    RECT backdrop{};
    COLORREF opaqueCentre = 0, clearCorner = 0;
    content.steps.push_back([&](CTestContent& c) {
        backdrop = WindowRect(c.Backdrop()->m_hWnd);
        opaqueCentre = ScreenPixel({backdrop.left + scaled(50), backdrop.top + scaled(75)});
        clearCorner = ScreenPixel({backdrop.right - 3, backdrop.top + 2});
    });
    content.DoModal();
    EXPECT_EQ(backdrop.right - backdrop.left, scaled(200));
    EXPECT_EQ(backdrop.bottom - backdrop.top, scaled(150));
    EXPECT_TRUE(SameColour(opaqueCentre, dpi >= 144 ? RGB(0, 0, 255) : RGB(255, 0, 0)))
        << std::hex << opaqueCentre;
    EXPECT_TRUE(SameColour(clearCorner, kUnderlayColour)) << std::hex << clearCorner;
}

TEST_F(BackdropTest, MissingUndecodableOrHugeImagePushesNothingButTheContentStillShows) {
    m_dir.Write("truncated.png",
                std::string_view("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x20\0\0\0\x20\x08\x06", 24));
    // Decodable, and one pixel wider than the largest side accepted.
    ASSERT_TRUE(WritePng(m_dir.PathOf("huge.png"), CGdiplusImage::kMaxSide + 1, 1,
                         [](int, int) { return kOpaqueRed; }));
    // Files that crashed the decoders.
    m_dir.Write("no-colours.gif", AsString(GifWithoutColourTables(1)));
    m_dir.Write("wrapping.ico", IconWithWrappingEntry());
    SIZE unsized{}; // as the template makes it, without an image: the first's
    for (const char* name :
         {"missing.png", "truncated.png", "huge.png", "no-colours.gif", "wrapping.ico"}) {
        CTestContent content(ToWide(m_dir.PathOf(name), CP_ACP));
        SIZE backdrop{};
        bool contentVisible = false;
        content.steps.push_back([&](CTestContent& c) {
            RECT r = WindowRect(c.Backdrop()->m_hWnd);
            backdrop = SIZE{r.right - r.left, r.bottom - r.top};
            contentVisible = c.IsWindowVisible();
        });
        EXPECT_EQ(content.DoModal(), IDCANCEL) << name;
        if (unsized.cx == 0)
            unsized = backdrop;
        EXPECT_EQ(backdrop.cx, unsized.cx) << name;
        EXPECT_EQ(backdrop.cy, unsized.cy) << name;
        EXPECT_TRUE(contentVisible) << name;
    }
}

TEST_F(BackdropTest, ImagesUpToTheLargestSideLoadAndLargerOnesAreRefused) {
    constexpr int kMax = static_cast<int>(CGdiplusImage::kMaxSide);
    const struct {
        int width;
        int height;
        bool loads;
        const char* kind; // a PNG's header is read directly, others by the decoders
    } images[] = {{kMax, 1, true, "png"},      {1, kMax, true, "png"}, {kMax + 1, 1, false, "png"},
                  {1, kMax + 1, false, "png"}, {kMax, 1, true, "bmp"}, {kMax + 1, 1, false, "bmp"}};
    for (const auto& i : images) {
        std::string path =
            m_dir.PathOf(std::to_string(i.width) + "x" + std::to_string(i.height) + "." + i.kind);
        if (std::string(i.kind) == "png")
            ASSERT_TRUE(WritePng(path, i.width, i.height, [](int, int) { return kOpaqueRed; }));
        else
            m_dir.Write(
                path.substr(m_dir.Path().size() + 1),
                BmpFile({std::vector<COLORREF>(static_cast<size_t>(i.width), RGB(255, 0, 0))}));
        CGdiplusImage image;
        EXPECT_EQ(image.Load(ToWide(path, CP_ACP)), i.loads) << path;
    }
}

// 4 x width x height, counted without overflow; a count beyond a DWORD is refused.
TEST(BackdropSurface, BytesOfSizesThatFitAndNoneForOthers) {
    const struct {
        LONG cx;
        LONG cy;
        DWORD bytes;
    } sizes[] = {
        {200, 150, 120000}, {8192, 8192, 268435456}, {32768, 32767, 4294836224u},
        {46341, 46341, 0},  {65536, 65537, 0},       {0, 150, 0},
        {200, -1, 0},       {LONG_MAX, LONG_MAX, 0},
    };
    for (const auto& s : sizes)
        EXPECT_EQ(CTranslucentDialog::SurfaceBytes(SIZE{s.cx, s.cy}), s.bytes)
            << s.cx << " x " << s.cy;
}

TEST_F(BackdropTest, EnterIsIgnoredAndEscapeClosesTheBackdrop) {
    CTestContent content(HalfOpaqueImage());
    bool runningAfterEnter = false;
    bool ranAfterEscape = false;
    auto pressKey = [](CTestContent& c, WPARAM key) {
        ::PostMessageA(::GetDlgItem(c.m_hWnd, kCloseButton), WM_KEYDOWN, key, 1);
    };
    content.steps.push_back([&](CTestContent& c) { pressKey(c, VK_RETURN); });
    content.steps.push_back([&](CTestContent& c) {
        runningAfterEnter = c.IsWindowVisible();
        pressKey(c, VK_ESCAPE);
    });
    content.steps.push_back([&](CTestContent&) { ranAfterEscape = true; });
    EXPECT_EQ(content.DoModal(), IDCANCEL);
    EXPECT_TRUE(runningAfterEnter);
    EXPECT_FALSE(ranAfterEscape);
}
