// The styled static text: attachment, its own font and text, the layout of
// the text with a real font on a real device context, and what it draws on
// the screen.

#include "xStatic.h"

#include "Pixels.h"
#include "ReferenceSplit.h"
#include "TempDir.h"
#include "TestParent.h"
#include "UiPump.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Lines = std::vector<std::string>;

constexpr COLORREF kParentColour = RGB(0, 160, 0);
constexpr COLORREF kInk = RGB(0, 0, 0);
constexpr RECT kControlArea{10, 10, 210, 110};

// A parent window with one static control attached to a CxStatic, in a large
// bold font so that text is easy to find on the screen.
class XStaticTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dc.CreateCompatibleDC(nullptr);
        Attach(SS_LEFT, "Title");
    }

    void Attach(DWORD style, const char* text, const RECT& area = kControlArea) {
        if (m_control.m_hWnd)
            m_control.DestroyWindow();
        HWND child = m_parent.CreateChild("STATIC", text, style, area, 1013);
        ASSERT_TRUE(m_control.SubclassWindow(child));
        // As a dialog gives its controls their font: before they first paint.
        m_control.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.GetSafeHandle()), FALSE);
        m_control.SetTextColour(kInk);
    }

    // The layout the control makes for a width, measured as it measures.
    Lines LinesFor(int width) { return LayOut(RECT{0, 0, width, 100}).lines; }
    CxStatic::Layout LayOut(const RECT& area) {
        CSelectObject font(m_dc, m_control.GetOwnFont());
        return m_control.LayOutText(m_dc, area);
    }
    int Width(std::string_view text) {
        CSelectObject font(m_dc, m_control.GetOwnFont());
        return m_dc.GetTextExtent(text).cx;
    }
    // What the control shows, in its own client coordinates.
    CScreenShot Shot(const std::function<bool(const CScreenShot&)>& check) {
        return WaitForScreen(m_control.m_hWnd, check);
    }

    CTestParent m_parent{100, 100, 300, 200, kParentColour};
    CFont m_font = [] {
        CFont font;
        LOGFONTA logFont{};
        logFont.lfHeight = -24;
        logFont.lfWeight = FW_BOLD;
        lstrcpyA(logFont.lfFaceName, "Tahoma");
        font.CreateFontIndirect(logFont);
        return font;
    }();
    CxStatic m_control;
    CDC m_dc; // measures as the control does
};

const RECT kWholeControl{0, 0, 200, 100};

LOGFONTA FontRecord(HGDIOBJ font) {
    LOGFONTA record{};
    ::GetObjectA(font, sizeof(record), &record);
    return record;
}

} // namespace

TEST_F(XStaticTest, AttachingMakesTheControlOwnerDrawnWithItsOwnCopiesOfTextAndFont) {
    CxStatic control;
    HWND child = m_parent.CreateChild("STATIC", "Copied", SS_CENTER, RECT{0, 0, 50, 20}, 1);
    ASSERT_TRUE(control.SubclassWindow(child));
    EXPECT_EQ(static_cast<DWORD>(SS_OWNERDRAW), control.GetStyle() & SS_TYPEMASK);
    EXPECT_TRUE(control.GetExStyle() & WS_EX_ACCEPTFILES);
    EXPECT_EQ("Copied", control.GetText());
    // A static made without a font gets a copy of the default GUI font.
    LOGFONTA own = FontRecord(control.GetOwnFont());
    LOGFONTA gui = FontRecord(::GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(gui.lfHeight, own.lfHeight);
    EXPECT_STREQ(gui.lfFaceName, own.lfFaceName);
    EXPECT_NE(::GetStockObject(DEFAULT_GUI_FONT), control.GetOwnFont());
}

TEST_F(XStaticTest, SetFontKeepsACopyOfTheFontGiven) {
    EXPECT_NE(m_font.GetSafeHandle(), m_control.GetOwnFont());
    EXPECT_EQ(-24, FontRecord(m_control.GetOwnFont()).lfHeight);
    EXPECT_EQ(FW_BOLD, FontRecord(m_control.GetOwnFont()).lfWeight);
    // WM_SETFONT without a font keeps the copy.
    m_control.SendMessage(WM_SETFONT, 0, TRUE);
    EXPECT_EQ(-24, FontRecord(m_control.GetOwnFont()).lfHeight);
}

TEST_F(XStaticTest, WindowTextAndDrawnTextPartAfterSetText) {
    m_control.SetWindowText("From the window");
    EXPECT_EQ("From the window", m_control.GetText());
    m_control.SetText("Drawn only");
    EXPECT_EQ("Drawn only", m_control.GetText());
    EXPECT_EQ("From the window", m_control.GetWindowText());
    m_control.SetText(nullptr);
    EXPECT_EQ("", m_control.GetText());
}

TEST_F(XStaticTest, WrapsAtTheLastSpaceThatFits) {
    m_control.SetText("aaaa bbbb cccc");
    EXPECT_EQ((Lines{"aaaa bbbb", "cccc"}), LinesFor(Width("aaaa bbbb c")));
    EXPECT_EQ((Lines{"aaaa bbbb cccc"}), LinesFor(Width("aaaa bbbb cccc")));
    // The space after a word that fits exactly does not fit: the break goes
    // to the space before it.
    EXPECT_EQ("aaaa", LinesFor(Width("aaaa bbbb")).front());
}

TEST_F(XStaticTest, LineEndingAtASpaceKeepsItAndTheNextStartsWithWhatDidNotFit) {
    m_control.SetText("aaaa a");
    EXPECT_EQ((Lines{"aaaa ", "a"}), LinesFor(Width("aaaa ")));
    m_control.SetText("aaaa bbbb cccc");
    EXPECT_EQ((Lines{"aaaa bbbb ", "cccc"}), LinesFor(Width("aaaa bbbb ")));
}

TEST_F(XStaticTest, WordLongerThanTheWidthIsCutBetweenCharacters) {
    m_control.SetText("xxxxxxxxxx");
    EXPECT_EQ((Lines{"xxxx", "xxxx", "xx"}), LinesFor(Width("xxxx")));
    m_control.SetText("ab");
    EXPECT_EQ((Lines{"a", "b"}), LinesFor(1)) << "a character wider than the control";
}

TEST_F(XStaticTest, LineBreaks) {
    m_control.SetText("ab\r\n\r\ncd");
    EXPECT_EQ((Lines{"ab", "", "cd"}), LinesFor(200));
    m_control.SetText("ab\r\n");
    EXPECT_EQ((Lines{"ab"}), LinesFor(200));
    m_control.SetText("ab\n\rcd");
    EXPECT_EQ((Lines{"ab", "cd"}), LinesFor(200));
    m_control.SetText("ab\rcd\nef");
    EXPECT_EQ((Lines{"ab", "cd", "ef"}), LinesFor(200)) << "lone CR and LF";
    m_control.SetText("abcd\r\nef");
    EXPECT_EQ((Lines{"abcd", "ef"}), LinesFor(Width("abcd"))) << "a full line before CR LF";
    m_control.SetText("");
    EXPECT_EQ(Lines{}, LinesFor(200));
}

TEST_F(XStaticTest, DoubleByteCharactersAreNeverSplit) {
    ASSERT_EQ(936u, ::GetACP());
    const std::string ni = "你", hao = "好", shi = "世", jie = "界";
    ASSERT_EQ(2u, ni.size());
    m_control.SetText((ni + hao + shi + jie).c_str());
    EXPECT_EQ((Lines{ni, hao, shi, jie}), LinesFor(Width(ni) * 3 / 2));
    EXPECT_EQ((Lines{ni + hao, shi + jie}), LinesFor(Width(ni + hao)));
    m_control.SetText(("a" + ni).c_str());
    EXPECT_EQ((Lines{"a", ni}), LinesFor(Width("a") + Width(ni) / 2));
}

// Growing a candidate one character at a time and measuring every length
// gives the same lines as the control's layout, with the real font.
TEST_F(XStaticTest, LayoutAgreesWithTheCharacterByCharacterReading) {
    ASSERT_EQ(936u, ::GetACP());
    const std::string pieces[] = {"i", "W", "m", " ", " ", "\r\n", "\n", "\r", "你", ".", "&"};
    CSelectObject font(m_dc, m_control.GetOwnFont());
    auto measure = [this](std::string_view text) { return m_dc.GetTextExtent(text).cx; };
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int length = random() % 30; length > 0; --length)
            text += pieces[random() % std::size(pieces)];
        int width = static_cast<int>(random() % 120);
        m_control.SetText(text.c_str());
        ASSERT_EQ(ReferenceSplit(text, width, measure),
                  m_control.LayOutText(m_dc, RECT{0, 0, width, 50}).lines)
            << '"' << text << "\" width " << width;
    }
}

TEST_F(XStaticTest, VerticalCentringOverflowsAtBothEdges) {
    Attach(SS_LEFT | SS_CENTERIMAGE, "1\r\n2\r\n3\r\n4\r\n5");
    CxStatic::Layout layout = LayOut(RECT{0, 0, 100, 40});
    ASSERT_EQ(5u, layout.lines.size());
    ASSERT_GT(layout.lineHeight, 10);
    EXPECT_EQ((40 - 5 * layout.lineHeight) / 2, layout.firstTop);
    EXPECT_LT(layout.firstTop, 0);
    Attach(SS_LEFT, "1\r\n2\r\n3\r\n4\r\n5");
    EXPECT_EQ(0, LayOut(RECT{0, 0, 100, 40}).firstTop);
}

TEST_F(XStaticTest, DrawingFlagsComeFromTheStyleAsAttached) {
    Attach(SS_CENTER | SS_NOPREFIX | SS_ENDELLIPSIS, "plain");
    EXPECT_EQ(static_cast<UINT>(DT_CENTER | DT_NOPREFIX | DT_WORD_ELLIPSIS | DT_END_ELLIPSIS),
              m_control.DrawTextFlags());
    Attach(SS_RIGHT | SS_PATHELLIPSIS, "tab\there");
    EXPECT_EQ(static_cast<UINT>(DT_RIGHT | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS | DT_EXPANDTABS),
              m_control.DrawTextFlags());
    Attach(SS_LEFT, "plain");
    EXPECT_EQ(0u, m_control.DrawTextFlags());
}

TEST_F(XStaticTest, OpaqueModeFillsTheBackground) {
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    ASSERT_NE(face, kParentColour);
    m_control.SetText("WW");
    const RECT text{0, 0, 100, 30}, right{120, 0, 200, 100};
    auto expected = [&](const CScreenShot& s) {
        return s.Count(right, face) == 80 * 100 && s.CountOther(text, face) > 20;
    };
    CScreenShot shot = Shot(expected);
    EXPECT_TRUE(expected(shot));
    EXPECT_EQ(0, shot.Count(kWholeControl, kParentColour));
}

TEST_F(XStaticTest, TransparentModeShowsTheParentsPaintingUnderTheText) {
    m_control.SetText("WW");
    m_control.SetTransparent();
    EXPECT_TRUE(m_control.GetExStyle() & WS_EX_TRANSPARENT);
    const RECT text{0, 0, 100, 30}, right{120, 0, 200, 100};
    auto expected = [&](const CScreenShot& s) {
        return s.Count(right, kParentColour) == 80 * 100 && s.CountOther(text, kParentColour) > 20;
    };
    CScreenShot shot = Shot(expected);
    EXPECT_TRUE(expected(shot));
    EXPECT_EQ(kParentColour, shot.At(0, 0));
    EXPECT_EQ(0, shot.Count(kWholeControl, ::GetSysColor(COLOR_BTNFACE)));
}

TEST_F(XStaticTest, SetTextOnATransparentControlRepaintsTheParentUnderItThenTheNewText) {
    m_control.SetTransparent();
    SettleScreen();
    // Where "WWWW" has ink and the attached "Title" has none.
    const RECT beyondTitle{Width("Title") + 2, 0, Width("WWWW"), 30};
    ASSERT_GT(beyondTitle.right - beyondTitle.left, 10);
    m_control.SetText("WWWW");
    auto drawn = [&](const CScreenShot& s) {
        return s.CountOther(beyondTitle, kParentColour) > 10;
    };
    EXPECT_TRUE(drawn(Shot(drawn))) << "the new text is drawn";

    int paints = m_parent.m_paints;
    m_parent.m_paintedAreas.clear();
    m_control.SetText("");
    // The parent has repainted before SetText returns: the control's area and
    // one pixel around it.
    ASSERT_EQ(paints + 1, m_parent.m_paints);
    RECT expected{9, 9, 211, 111};
    EXPECT_TRUE(::EqualRect(&expected, &m_parent.m_paintedAreas.back()));
    CScreenShot shot = Shot(
        [&](const CScreenShot& s) { return s.Count(kWholeControl, kParentColour) == 200 * 100; });
    EXPECT_EQ(200 * 100, shot.Count(kWholeControl, kParentColour)) << "the old text is gone";
}

TEST_F(XStaticTest, EmptyLinesAndTheVerticalCentreShowOnTheScreen) {
    m_control.SetText("WW\r\n\r\nWW");
    const int height = LayOut(kWholeControl).lineHeight;
    ASSERT_LT(3 * height, 100);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    auto band = [&](int first, int last) { return RECT{0, first, 200, last}; };
    auto blankMiddle = [&](const CScreenShot& s) {
        return s.CountOther(band(0, height), face) > 20 &&
               s.CountOther(band(height, 2 * height), face) == 0 &&
               s.CountOther(band(2 * height, 3 * height), face) > 20;
    };
    EXPECT_TRUE(blankMiddle(Shot(blankMiddle)));

    Attach(SS_LEFT | SS_CENTERIMAGE, "WW");
    const int top = (100 - height) / 2;
    auto centred = [&](const CScreenShot& s) {
        return s.CountOther(band(0, top), face) == 0 &&
               s.CountOther(band(top, top + height), face) > 20 &&
               s.CountOther(band(top + height, 100), face) == 0;
    };
    EXPECT_TRUE(centred(Shot(centred)));
}

class XStaticDropTest : public XStaticTest {
protected:
    void SetUp() override {
        XStaticTest::SetUp();
        m_control.SetText("");
        m_control.SetTransparent();
        m_bitmapPath = m_files.Write("Skin.BmP",
                                     BmpFile({{kTopLeft, kTopRight}, {kBottomLeft, kBottomRight}}));
    }
    void Drop(const std::vector<std::string>& paths) {
        m_control.SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)));
    }
    void ExpectUnchanged() {
        EXPECT_TRUE(m_control.IsTransparent());
        SettleScreen();
        CScreenShot shot(ScreenClientArea(m_control.m_hWnd));
        EXPECT_EQ(200 * 100, shot.Count(kWholeControl, kParentColour));
    }

    static constexpr COLORREF kTopLeft = RGB(250, 0, 0);
    static constexpr COLORREF kTopRight = RGB(0, 0, 250);
    static constexpr COLORREF kBottomLeft = RGB(250, 250, 0);
    static constexpr COLORREF kBottomRight = RGB(0, 250, 250);
    TempDir m_files;
    std::string m_bitmapPath;
};

// The whole image is stretched over the control: each pixel of a 2 x 2
// bitmap covers a quarter.
TEST_F(XStaticDropTest, SingleBitmapFileMakesTheControlOpaqueAndStretched) {
    Drop({m_bitmapPath});
    CScreenShot shot = Shot([&](const CScreenShot& s) { return s.At(150, 75) == kBottomRight; });
    EXPECT_EQ(kTopLeft, shot.At(50, 25));
    EXPECT_EQ(kTopRight, shot.At(150, 25));
    EXPECT_EQ(kBottomLeft, shot.At(50, 75));
    EXPECT_EQ(kBottomRight, shot.At(150, 75));
    EXPECT_EQ(0, shot.Count(kWholeControl, kParentColour));
    EXPECT_FALSE(m_control.IsTransparent());
}

TEST_F(XStaticDropTest, TwoFilesAtOnceChangeNothing) {
    Drop({m_bitmapPath, m_bitmapPath});
    ExpectUnchanged();
}

TEST_F(XStaticDropTest, OtherMissingBrokenOrTruncatedFilesChangeNothing) {
    std::string bitmapContent(BmpFile({{kTopLeft}}));
    Drop({m_files.Write("picture.bmp.txt", bitmapContent)});
    Drop({m_files.Write("noextension", bitmapContent)});
    Drop({m_files.Write("broken.bmp", "BM but not a bitmap")});
    Drop({m_files.PathOf("missing.bmp")});
    // Every header whole, the pixel rows cut short.
    std::vector<std::vector<COLORREF>> rows(30, std::vector<COLORREF>(60, kTopLeft));
    Drop({m_files.Write("truncated.bmp", BmpFile(rows).substr(0, 80))});
    ExpectUnchanged();
}
