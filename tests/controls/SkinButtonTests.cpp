// The bitmap-skinned button: what it draws in each state, driven by real
// mouse input, and its check, radio and tooltip behaviour.

#include "BitmapFile.h"
#include "Pixels.h"
#include "ProcessMemory.h"
#include "SkinButton.h"
#include "TempDir.h"
#include "TestParent.h"
#include "UiPump.h"
#include "UserInput.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kNormal = RGB(200, 0, 0);
constexpr COLORREF kDown = RGB(0, 0, 200);
constexpr COLORREF kOver = RGB(0, 160, 0);
constexpr UINT kButtonId = 3001;
constexpr int kLeft = 300;
constexpr int kTop = 200;

// Counts the clicks its buttons report.
class CClickCounter : public CTestParent {
public:
    CClickCounter() : CTestParent(kLeft, kTop, 300, 200, RGB(255, 255, 255)) {}
    std::vector<UINT> clicks;
    void OnClicked() { clicks.push_back(LOWORD(GetCurrentMessage()->wParam)); }
    static const MessageMap* ThisMessageMap() {
        static const MessageMapEntry entries[] = {
            OnCommand<BN_CLICKED, 3000, &CClickCounter::OnClicked, 3099>(),
        };
        static const MessageMap map{CTestParent::ThisMessageMap(), entries};
        return &map;
    }
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }
};

std::string SolidBmp(COLORREF colour, int width = 60, int height = 30) {
    return BmpFile(std::vector<std::vector<COLORREF>>(
        static_cast<size_t>(height), std::vector<COLORREF>(static_cast<size_t>(width), colour)));
}

class SkinButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_normal = m_dir.Write("normal.bmp", SolidBmp(kNormal));
        m_down = m_dir.Write("down.bmp", SolidBmp(kDown));
        m_over = m_dir.Write("over.bmp", SolidBmp(kOver));
        // Park the pointer away from everything.
        MoveMouseTo({5, 5});
    }

    // A skin button of `style` at (20, 20), 60 x 30 unless told, in the parent.
    CxSkinButton& AddButton(UINT id, DWORD style, int left = 20, int top = 20, int width = 60,
                            int height = 30) {
        HWND hWnd =
            m_parent.CreateChild("Button", "", style, {left, top, left + width, top + height}, id);
        m_buttons.push_back(std::make_unique<CxSkinButton>());
        m_buttons.back()->SubclassWindow(hWnd);
        return *m_buttons.back();
    }
    POINT ScreenPoint(int x, int y) const { return {kLeft + x, kTop + y}; }
    // The colour in the middle of the button at (20, 20), once it has been drawn.
    COLORREF CentreColour(COLORREF expected) {
        CScreenShot shot = WaitForScreen(
            m_parent.m_hWnd, [&](const CScreenShot& s) { return s.At(50, 35) == expected; });
        return shot.At(50, 35);
    }

    TempDir m_dir;
    std::string m_normal, m_down, m_over;
    CClickCounter m_parent;
    std::vector<std::unique_ptr<CxSkinButton>> m_buttons;
};

} // namespace

TEST_F(SkinButtonTest, StatesFollowTheMouseAndReleaseOffTheButtonGivesNoClick) {
    CxSkinButton& button = AddButton(kButtonId, BS_PUSHBUTTON);
    button.SetImageFiles(m_normal.c_str(), m_down.c_str(), m_over.c_str());
    button.Invalidate();
    EXPECT_EQ(CentreColour(kNormal), kNormal);

    MoveMouseTo(ScreenPoint(50, 35));
    EXPECT_EQ(CentreColour(kOver), kOver);
    EXPECT_TRUE(button.IsHovering());

    PressLeftButton();
    EXPECT_EQ(CentreColour(kDown), kDown);
    EXPECT_FALSE(button.IsHovering()); // cleared by the press

    MoveMouseTo(ScreenPoint(200, 150)); // dragged off: no longer pushed
    EXPECT_EQ(CentreColour(kNormal), kNormal);
    MoveMouseTo(ScreenPoint(55, 30)); // and back
    EXPECT_EQ(CentreColour(kDown), kDown);
    MoveMouseTo(ScreenPoint(200, 150));
    EXPECT_EQ(CentreColour(kNormal), kNormal);
    ReleaseLeftButton();
    PumpFor(200);
    EXPECT_TRUE(m_parent.clicks.empty());

    ClickAt(ScreenPoint(50, 35));
    PumpUntil([&] { return !m_parent.clicks.empty(); }, 3000);
    EXPECT_EQ(m_parent.clicks, std::vector<UINT>{kButtonId});
    // After a click the normal image shows until the pointer moves again.
    EXPECT_EQ(CentreColour(kNormal), kNormal);
    MoveMouseTo(ScreenPoint(52, 36));
    EXPECT_EQ(CentreColour(kOver), kOver);
}

TEST_F(SkinButtonTest, DoubleClickGivesTwoClicks) {
    AddButton(kButtonId, BS_PUSHBUTTON)
        .SetImageFiles(m_normal.c_str(), m_down.c_str(), m_over.c_str());
    ClickAt(ScreenPoint(50, 35));
    ClickAt(ScreenPoint(50, 35));
    PumpUntil([&] { return m_parent.clicks.size() >= 2; }, 3000);
    EXPECT_EQ(m_parent.clicks.size(), 2u);
}

TEST_F(SkinButtonTest, MissingEmptyOrBrokenImagesAreDrawnInTheFaceColour) {
    COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    std::string truncated = m_dir.Write("truncated.bmp", SolidBmp(kNormal).substr(0, 80));
    std::string notBitmap = m_dir.Write("text.bmp", "this is no bitmap");
    CxSkinButton& button = AddButton(kButtonId, BS_PUSHBUTTON);
    for (const std::string& normal : {m_dir.PathOf("missing.bmp"), truncated, notBitmap}) {
        button.SetImageFiles(normal.c_str(), m_down.c_str(), m_over.c_str());
        button.Invalidate();
        EXPECT_EQ(CentreColour(face), face) << normal;
    }
    // No normal image: even the over image is not used.
    MoveMouseTo(ScreenPoint(50, 35));
    PumpUntil([&] { return button.IsHovering(); }, 3000);
    EXPECT_EQ(CentreColour(face), face);
    // Null paths leave every image empty; a second call drops the earlier images.
    button.SetImageFiles(m_normal.c_str(), nullptr, nullptr);
    button.SetImageFiles(nullptr, nullptr, nullptr);
    button.Invalidate();
    EXPECT_EQ(CentreColour(face), face);
}

TEST_F(SkinButtonTest, SharperImagesOfOddSkinLengthsFillTheButtonAt150Percent) {
    // A 21 x 11 skin image is 31.5 x 16.5 pixels at 150 %, shown as 32 x 17.
    // Its 42 x 22 sharper image, edged in another colour one pixel wide, is
    // scaled to that from its own size: the last column and row, which reach
    // half a pixel past the image, show its edge, and nothing beyond it.
    const std::string image = m_dir.Write("odd.bmp", SolidBmp(kNormal, 21, 11));
    std::vector<std::vector<COLORREF>> rows(22, std::vector<COLORREF>(42, kOver));
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 42; ++x)
            if (x >= 41 || y >= 21)
                rows[y][x] = kDown;
    m_dir.Write("odd@2x.bmp", BmpFile(rows));
    const RECT shown{20, 20, 20 + ScaleToDpi(21, 144), 20 + ScaleToDpi(11, 144)};
    CxSkinButton& button =
        AddButton(kButtonId, BS_PUSHBUTTON, 20, 20, shown.right - 20, shown.bottom - 20);
    button.SetImageFiles(image.c_str(), nullptr, nullptr, 144);
    button.Invalidate();
    const RECT lastColumn{shown.right - 1, shown.top, shown.right, shown.bottom};
    const RECT lastRow{shown.left, shown.bottom - 1, shown.right, shown.bottom};
    CScreenShot shot = WaitForScreen(m_parent.m_hWnd, [&](const CScreenShot& s) {
        return s.At(shown.left, shown.top) == kOver;
    });
    EXPECT_EQ(shot.CountOther(lastColumn, kDown), 0);
    EXPECT_EQ(shot.CountOther(lastRow, kDown), 0);
    EXPECT_EQ(shot.At(shown.left, shown.top), kOver);
}

TEST_F(SkinButtonTest, PushButtonStaysUncheckedAndCheckKindToggles) {
    CxSkinButton& push = AddButton(kButtonId, BS_PUSHBUTTON);
    EXPECT_EQ(push.Kind(), 0);
    push.SendMessage(BM_SETCHECK, 1);
    EXPECT_EQ(push.SendMessage(BM_GETCHECK), 0);

    CxSkinButton& check = AddButton(3002, BS_AUTOCHECKBOX, 100, 20);
    EXPECT_EQ(check.Kind(), 2);
    EXPECT_EQ(check.GetStyle() & 0x0F, static_cast<DWORD>(BS_OWNERDRAW));
    ClickAt(ScreenPoint(130, 35));
    PumpUntil([&] { return check.IsChecked(); }, 3000);
    EXPECT_EQ(check.SendMessage(BM_GETCHECK), 1);
    ClickAt(ScreenPoint(130, 35));
    PumpUntil([&] { return !check.IsChecked(); }, 3000);
    EXPECT_EQ(check.SendMessage(BM_GETCHECK), 0);
    // The space bar steps it too.
    check.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(check.IsChecked());
}

TEST_F(SkinButtonTest, CheckingARadioUnchecksTheRestOfItsGroup) {
    CxSkinButton& first = AddButton(3003, BS_AUTORADIOBUTTON | WS_GROUP, 20, 100);
    CxSkinButton& second = AddButton(3004, BS_AUTORADIOBUTTON, 100, 100);
    AddButton(3005, BS_PUSHBUTTON | WS_GROUP, 180, 100);
    EXPECT_EQ(first.Kind(), 4);
    first.SendMessage(BM_SETCHECK, 1);
    ClickAt(ScreenPoint(130, 115));
    PumpUntil([&] { return second.IsChecked() && !first.IsChecked(); }, 3000);
    EXPECT_TRUE(second.IsChecked());
    EXPECT_FALSE(first.IsChecked());
}

TEST_F(SkinButtonTest, TooltipIsCreatedOnceAndItsTextReplaced) {
    CxSkinButton& button = AddButton(kButtonId, BS_PUSHBUTTON);
    button.SetTipText("MiniWindow");
    ASSERT_NE(button.ToolTip().m_hWnd, nullptr);
    HWND tip = button.ToolTip().m_hWnd;
    EXPECT_EQ(button.ToolTip().GetText(&button), "MiniWindow");
    button.SetTipText("closewindow");
    EXPECT_EQ(button.ToolTip().m_hWnd, tip);
    EXPECT_EQ(button.ToolTip().GetText(&button), "closewindow");
}

namespace {

std::span<const std::uint8_t> Bytes(const std::string& s) {
    return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

// `file` with the 32-bit little-endian field at `at` set to `value`.
std::string With32(std::string file, size_t at, std::uint32_t value) {
    for (size_t i = 0; i < 4; ++i)
        file[at + i] = static_cast<char>(value >> (8 * i));
    return file;
}

} // namespace

TEST(BitmapFileCheck, OnlyAFileThatHoldsWhatTheLoaderReadsIsComplete) {
    // 8 x 5 at 24 bits, and at 8 bits after a full colour table of 1024 bytes.
    const std::string whole = SolidBmp(kNormal, 8, 5);
    std::string paletted = With32(
        whole.substr(0, 54) + std::string(1024, ' ') + whole.substr(54, 8 * 5), 10, 54 + 1024);
    paletted[28] = 8;
    const std::string placedByLoader = With32(paletted, 10, 0);
    std::string tall = whole;
    tall[22] = '\x7F';
    const struct {
        const char* what;
        std::string file;
        bool complete;
    } cases[] = {
        {"24 bits", whole, true},
        {"8 bits after the colour table", paletted, true},
        {"offset 0: the pixels right after the table", placedByLoader, true},
        {"offset 0, the file ending inside the table", placedByLoader.substr(0, whole.size()),
         false},
        {"a colour table running past the end", With32(whole, 46, 256), false},
        {"offset inside the file header", With32(whole, 10, 1), false},
        {"offset at the end of the file header", With32(whole, 10, 13), false},
        {"offset inside the bitmap header", With32(whole, 10, 53), false},
        {"a height far beyond the pixels present", tall, false},
        {"a header of no known size", With32(whole, 14, 64), false},
        {"nothing after the signature", "BM but nothing more", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsCompleteBitmap(Bytes(c.file)), c.complete) << c.what;
    for (const std::string& file : {whole, paletted})
        for (size_t length = 0; length < file.size(); ++length)
            EXPECT_FALSE(IsCompleteBitmap(Bytes(file.substr(0, length)))) << length;
}

// More than a 32-bit process can hold, and sparse where the file system
// allows: the check reads the headers and the size, never the pixels.
TEST(BitmapFileCheck, AHugeFileIsCheckedWithoutReadingIt) {
    TempDir dir;
    const std::string path = dir.Write("huge.bmp", SolidBmp(kNormal, 100, 100));
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    size.QuadPart = 3LL << 30;
    const bool grown = ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
    ::CloseHandle(file);
    ASSERT_TRUE(grown);
    const size_t before = PeakMemory();
    EXPECT_TRUE(IsCompleteBitmapFile(path));
    EXPECT_LT(PeakMemory() - before, 64u << 20);
}
