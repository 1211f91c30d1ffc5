// Cost of making the skin ready to draw at 96, 120, 144, 168 and 192 DPI,
// with and without its @2x images: the login window's backdrop (scaled for
// the DPI into a new bitmap, as CScaledBitmap::ForDpi does once a DPI, and
// copied once as a render pushes it) and the game window's ten buttons (each
// image taken as loaded, scaled where the DPI is not its own, and copied into
// its rectangle as the first paint draws it). Beside them, the backdrop's
// "decode" (its decoded image's pixels taken premultiplied, once a file) and
// "repaint" (what every later render copies). Reading the files and pushing
// to the screen are left out: they do not depend on the scale.
// A benchmark, not a test: it reports, it never fails.
//
//   scaling_bench SKIN_DIR [RUNS], SKIN_DIR holding config.xml and data\ (the skin)

#include "BenchClock.h"
#include "BitmapFile.h"
#include "DpiScale.h"
#include "GdiplusImage.h"
#include "ScaledBitmap.h"
#include "TextConversion.h"

#include <gdiplus.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace {

// One warm-up, then `runs` timed calls; prints a row of the table.
void Report(const char* what, int dpi, const char* size, int factor, int runs,
            const std::function<void()>& draw) {
    draw();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = NowMs();
        draw();
        times.push_back(NowMs() - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("  %-9s %4d %5.2f %-12s %6dx %9.3f %9.3f %9.3f\n", what, dpi, dpi / 96.0, size,
                factor, times[times.size() / 2], times.front(), times.back());
}

// The text of `<key>` in config.xml; its settings are one element each.
std::string Setting(const std::string& config, const std::string& key) {
    const std::string open = "<" + key + ">";
    const size_t at = config.find(open);
    if (at == std::string::npos)
        return {};
    const size_t from = at + open.size();
    return config.substr(from, config.find('<', from) - from);
}

// A memory DC on the screen's, freed with the object.
struct CMemoryDc {
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    ~CMemoryDc() {
        ::DeleteDC(memory);
        ::ReleaseDC(nullptr, screen);
    }
};

// Copies `bitmap` into `dc` at its top-left corner, as a render or paint does.
void CopyInto(HDC dc, HBITMAP bitmap, const SIZE& size) {
    HDC memory = ::CreateCompatibleDC(dc);
    HGDIOBJ previous = ::SelectObject(memory, bitmap);
    ::BitBlt(dc, 0, 0, size.cx, size.cy, memory, 0, 0, SRCCOPY);
    ::SelectObject(memory, previous);
    ::DeleteDC(memory);
    ::GdiFlush();
}

// The file of a skin image at `dpi`: its @2x version where the DPI calls for
// it, unless `twice` is false.
std::string ImageFile(const std::string& path, int dpi, bool twice, int* factor) {
    *factor = 1;
    return twice ? ImageFileForDpi(path, dpi, factor) : path;
}

void BenchBackdrop(const std::string& skin, const std::string& config, int dpi, bool twice,
                   int runs) {
    int factor = 1;
    const std::string path =
        ImageFile(skin + "\\data\\" + Setting(config, "login_bg"), dpi, twice, &factor);
    CGdiplusImage image;
    if (!image.Load(ToWide(path, CP_ACP))) {
        std::printf("  backdrop: %s did not load\n", path.c_str());
        return;
    }
    CScaledBitmap pixels;
    pixels.Prepare(image.Size(), factor);
    const SIZE shown = pixels.SizeForDpi(dpi);
    // A surface of the window's size, as the screen receives the push.
    CMemoryDc dc;
    CPixelBitmap target;
    target.Create(shown);
    HGDIOBJ previous = ::SelectObject(dc.memory, target);
    char size[32];
    std::snprintf(size, sizeof(size), "%ld x %ld", shown.cx, shown.cy);
    Report("decode", dpi, size, factor, runs,
           [&] { image.ReadPremultiplied(pixels.Prepare(image.Size(), factor)); });
    Report("backdrop", dpi, size, factor, runs, [&] {
        if (dpi == kSkinDpi * factor) {
            CopyInto(dc.memory, pixels.ForDpi(dpi), shown);
            return;
        }
        CPixelBitmap scaled;
        scaled.Create(shown);
        ScalePixels(pixels.Pixels(), scaled.Pixels(), dpi, kSkinDpi * factor);
        CopyInto(dc.memory, scaled, shown);
    });
    Report("repaint", dpi, size, factor, runs,
           [&] { CopyInto(dc.memory, pixels.ForDpi(dpi), shown); });
    ::SelectObject(dc.memory, previous);
}

struct Button {
    std::string file;
    int factor;
    RECT rect;
};

void BenchButtons(const std::string& skin, const std::string& config, int dpi, bool twice,
                  int runs) {
    // The game window's buttons, placed from the band's right edge as config.xml says.
    const char* names[] = {"close", "win",     "mini",  "tray", "refresh",
                           "cache", "service", "forum", "web",  "pay"};
    const int band = ScaleToDpi(600, dpi);
    std::vector<Button> buttons;
    int pixels = 0;
    for (const char* name : names) {
        auto value = [&](const char* what) {
            return Setting(config, "game_" + std::string(name) + "btn_" + what);
        };
        Button button{};
        button.file = ImageFile(skin + "\\data\\" + value("normal"), dpi, twice, &button.factor);
        CBitmap loaded;
        loaded.Attach(LoadBitmapFile(button.file.c_str(), LR_CREATEDIBSECTION));
        const int left = band - ScaleToDpi(std::atoi(value("posx").c_str()), dpi);
        const int top = ScaleToDpi(std::atoi(value("posy").c_str()), dpi);
        button.rect = RECT{left, top, left + ScaleToDpi(std::atoi(value("width").c_str()), dpi),
                           top + ScaleToDpi(std::atoi(value("height").c_str()), dpi)};
        if (loaded.IsEmpty()) {
            std::printf("  button %s did not load\n", name);
            continue;
        }
        pixels += (button.rect.right - left) * (button.rect.bottom - top);
        buttons.push_back(button);
    }
    // A back buffer as a paint draws into, of the band's size.
    CMemoryDc dc;
    HBITMAP target = ::CreateCompatibleBitmap(dc.screen, band, ScaleToDpi(40, dpi));
    HGDIOBJ previous = ::SelectObject(dc.memory, target);
    char size[32];
    std::snprintf(size, sizeof(size), "%zu: %d px", buttons.size(), pixels);
    // Every draw takes bitmaps of its own, loaded from the files beforehand
    // (one draw more than the runs: the warm-up).
    std::vector<std::vector<CBitmap>> loaded(static_cast<std::size_t>(runs) + 1);
    for (std::vector<CBitmap>& set : loaded)
        for (const Button& button : buttons) {
            set.emplace_back();
            set.back().Attach(LoadBitmapFile(button.file.c_str(), LR_CREATEDIBSECTION));
        }
    std::size_t draw = 0;
    std::vector<CScaledBitmap> images(buttons.size());
    Report("buttons", dpi, size, buttons.empty() ? 1 : buttons.front().factor, runs, [&] {
        std::vector<CBitmap>& set = loaded[draw++];
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            images[i].Take(std::move(set[i]), buttons[i].factor);
            images[i].Draw(dc.memory, buttons[i].rect, dpi);
        }
        ::GdiFlush();
    });
    ::SelectObject(dc.memory, previous);
    ::DeleteObject(target);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: scaling_bench SKIN_DIR [RUNS]\n");
        return 2;
    }
    const std::string skin = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 30;
    std::ifstream file(skin + "\\config.xml", std::ios::binary);
    const std::string config{std::istreambuf_iterator<char>(file), {}};
    ::CoInitialize(nullptr);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    std::printf("the skin at %s made ready to draw: ms for the backdrop or for all buttons, "
                "median of %d runs (min, max); image 2x = its @2x version\n",
                skin.c_str(), runs);
    std::printf("  %-9s %4s %5s %-12s %7s %9s %9s %9s\n", "what", "DPI", "scale", "drawn", "image",
                "median", "min", "max");
    const int dpis[] = {96, 120, 144, 168, 192};
    for (bool twice : {true, false}) {
        std::printf("%s\n", twice ? "with @2x images" : "without @2x images");
        for (int dpi : dpis)
            BenchBackdrop(skin, config, dpi, twice, runs);
        for (int dpi : dpis)
            BenchButtons(skin, config, dpi, twice, runs);
    }
    Gdiplus::GdiplusShutdown(token);
    ::CoUninitialize();
    return 0;
}
