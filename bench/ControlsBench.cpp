// Costs of the drawing controls, measured under the real platform: loading a
// 200-frame 400 x 300 GIF, the animation worker's CPU time per second of
// animation, the frame delays as actually played, and the text layout of a
// long title per paint. A benchmark, not a test: it reports, it never fails.

#include "BenchClock.h"
#include "PictureEx.h"
#include "xStatic.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
double MsSince(double start) {
    return NowMs() - start;
}

void PutWord(Bytes& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

// GIF LZW with 8-bit pixels and the usual growing code width, so that the
// frames are as compact as those of a real file.
class CLzwEncoder {
public:
    Bytes Encode(const std::vector<std::uint8_t>& pixels) {
        m_pending = 0;
        m_bits = 0;
        Reset();
        Put(kClear);
        int prefix = pixels.front();
        for (size_t i = 1; i < pixels.size(); ++i) {
            int pixel = pixels[i];
            int& entry = m_table[static_cast<size_t>(prefix) * 256 + pixel];
            if (entry) {
                prefix = entry;
                continue;
            }
            Put(prefix);
            if (m_next < 4096) {
                entry = m_next;
                if (m_next == (1 << m_width) && m_width < 12)
                    ++m_width;
                ++m_next;
            } else {
                Put(kClear);
                Reset();
            }
            prefix = pixel;
        }
        Put(prefix);
        Put(kEnd);
        if (m_bits > 0)
            m_packed.push_back(static_cast<std::uint8_t>(m_pending));
        Bytes blocks = {8};
        for (size_t at = 0; at < m_packed.size(); at += 255) {
            size_t length = std::min<size_t>(255, m_packed.size() - at);
            blocks.push_back(static_cast<std::uint8_t>(length));
            blocks.insert(blocks.end(), m_packed.begin() + at, m_packed.begin() + at + length);
        }
        blocks.push_back(0);
        m_packed.clear();
        return blocks;
    }

private:
    static constexpr int kClear = 256;
    static constexpr int kEnd = 257;

    void Reset() {
        m_table.assign(4096 * 256, 0);
        m_width = 9;
        m_next = kEnd + 1;
    }
    void Put(int code) {
        m_pending |= static_cast<std::uint32_t>(code) << m_bits;
        m_bits += m_width;
        while (m_bits >= 8) {
            m_packed.push_back(static_cast<std::uint8_t>(m_pending & 0xFF));
            m_pending >>= 8;
            m_bits -= 8;
        }
    }

    std::vector<int> m_table;
    Bytes m_packed;
    std::uint32_t m_pending = 0;
    int m_bits = 0;
    int m_width = 9;
    int m_next = kEnd + 1;
};

// `frames` full frames of width x height with a 256-colour palette, each a
// shifted pattern, delays in hundredths from `delays` in turn.
Bytes MakeGif(int width, int height, int frames, const std::vector<int>& delays) {
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a'};
    PutWord(gif, width);
    PutWord(gif, height);
    gif.insert(gif.end(), {0xF7, 0, 0});
    for (int i = 0; i < 256; ++i)
        gif.insert(gif.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                               static_cast<std::uint8_t>(i * 7)});
    CLzwEncoder encoder;
    std::vector<std::uint8_t> pixels(static_cast<size_t>(width) * height);
    for (int frame = 0; frame < frames; ++frame) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[static_cast<size_t>(y) * width + x] =
                    static_cast<std::uint8_t>((x + 3 * frame) / 6 + (y / 10) * 5);
        int delay = delays[frame % delays.size()];
        gif.insert(gif.end(), {0x21, 0xF9, 0x04, 0x04});
        PutWord(gif, delay);
        gif.insert(gif.end(), {0, 0, 0x2C});
        PutWord(gif, 0);
        PutWord(gif, 0);
        PutWord(gif, width);
        PutWord(gif, height);
        gif.push_back(0);
        Bytes data = encoder.Encode(pixels);
        gif.insert(gif.end(), data.begin(), data.end());
    }
    gif.push_back(0x3B);
    return gif;
}

HGLOBAL ToGlobal(const Bytes& bytes) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(::GlobalLock(memory), bytes.data(), bytes.size());
    ::GlobalUnlock(memory);
    return memory;
}

void Pump(DWORD ms) {
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&msg);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

double CpuMs(HANDLE thread) {
    FILETIME created, ended, kernel, user;
    if (!::GetThreadTimes(thread, &created, &ended, &kernel, &user))
        return -1;
    auto ticks = [](FILETIME t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

class CHost : public CWnd {
public:
    CHost() {
        RECT area{50, 50, 850, 650};
        CreateEx(0, AfxRegisterWndClass(0, nullptr, ::GetSysColorBrush(COLOR_BTNFACE)), "bench",
                 WS_POPUP | WS_VISIBLE, area, nullptr, 0);
    }
    ~CHost() override { DestroyWindow(); }
    HWND Child(const RECT& area, UINT id, DWORD style = SS_LEFT) {
        return ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | style, area.left,
                                 area.top, area.right - area.left, area.bottom - area.top, m_hWnd,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr,
                                 nullptr);
    }
};

void BenchAnimation(CHost& host) {
    const int kFrames = 200;
    Bytes gif = MakeGif(400, 300, kFrames, {5});
    std::printf("animated picture: %d frames of 400 x 300, %zu bytes, 50 ms a frame\n", kFrames,
                gif.size());
    HGLOBAL memory = ToGlobal(gif);
    std::vector<double> loads;
    for (int round = 0; round < 3; ++round) {
        CPictureEx picture;
        picture.SubclassWindow(host.Child(RECT{0, 0, 10, 10}, 1017));
        double start = NowMs();
        BOOL loaded = picture.LoadFromMemory(memory, static_cast<DWORD>(gif.size()));
        loads.push_back(MsSince(start));
        if (!loaded || picture.GetFrameCount() != kFrames)
            std::printf("  load FAILED (%zu frames)\n", picture.GetFrameCount());
        picture.DestroyWindow();
    }
    std::sort(loads.begin(), loads.end());
    std::printf("  load time: %.0f ms (median of 3; %.0f to %.0f)\n", loads[1], loads[0], loads[2]);

    CPictureEx picture;
    picture.SubclassWindow(host.Child(RECT{0, 0, 10, 10}, 1017));
    picture.LoadFromMemory(memory, static_cast<DWORD>(gif.size()));
    const DWORD seconds = 10;
    double uiBefore = CpuMs(::GetCurrentThread());
    double start = NowMs();
    picture.StartDisplay();
    HANDLE worker = picture.GetWorkerThread();
    Pump(seconds * 1000);
    double worker_ms = CpuMs(worker);
    double elapsed = MsSince(start) / 1000.0;
    double ui_ms = CpuMs(::GetCurrentThread()) - uiBefore;
    picture.StopAnimation();
    std::printf("  worker CPU: %.1f ms per second of animation (%.0f ms in %.1f s)\n",
                worker_ms / elapsed, worker_ms, elapsed);
    std::printf("  user-interface thread CPU while playing (paints): %.1f ms per second\n",
                ui_ms / elapsed);
    ::GlobalFree(memory);
}

// The worker's waits as they begin, to see the delays as played.
void BenchDelays(CHost& host) {
    Bytes gif = MakeGif(40, 30, 4, {0, 4, 5, 20});
    HGLOBAL memory = ToGlobal(gif);
    std::mutex lock;
    std::vector<double> starts;
    CPictureEx picture;
    picture.SubclassWindow(host.Child(RECT{0, 0, 10, 10}, 1018));
    picture.SetFrameWait([&](HANDLE stopEvent, DWORD delayMs) {
        {
            std::lock_guard guard(lock);
            starts.push_back(NowMs());
        }
        ::WaitForSingleObject(stopEvent, delayMs);
    });
    picture.LoadFromMemory(memory, static_cast<DWORD>(gif.size()));
    picture.StartDisplay();
    Pump(4500);
    picture.StopAnimation();
    ::GlobalFree(memory);
    std::lock_guard guard(lock);
    double sums[4] = {};
    int counts[4] = {};
    for (size_t i = 1; i < starts.size(); ++i) {
        sums[(i - 1) % 4] += starts[i] - starts[i - 1];
        ++counts[(i - 1) % 4];
    }
    std::printf("frame delays 0, 4, 5, 20 hundredths as played (expected 100, 100, 50, 200 ms):\n "
                " ");
    for (int i = 0; i < 4; ++i)
        std::printf(" %.0f", counts[i] ? sums[i] / counts[i] : 0.0);
    std::printf(" ms (mean of %d passes)\n", counts[3]);
}

std::string Title(size_t length) {
    const char* words[] = {"game", "world", "server", "\xC4\xE3\xBA\xC3", "online", "x"};
    std::string text;
    for (size_t i = 0; text.size() < length; ++i)
        text += std::string(words[i % 6]) + " ";
    text.resize(length);
    return text;
}

void BenchTitle(CHost& host) {
    const RECT area{0, 320, 600, 360};
    CxStatic title;
    title.SubclassWindow(host.Child(area, 1013, SS_LEFT | SS_CENTERIMAGE));
    title.SetTransparent();
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CSelectObject font(dc, title.GetOwnFont());
    std::printf("title layout (600 pixels wide, the dialog font):\n");
    for (size_t length : {500, 1000, 2000, 4000}) {
        title.SetText(Title(length).c_str());
        const int rounds = 200;
        double start = NowMs();
        size_t lines = 0;
        for (int i = 0; i < rounds; ++i)
            lines = title.LayOutText(dc, RECT{0, 0, 600, 40}).lines.size();
        std::printf("  %4zu characters, %3zu lines: layout %.3f ms", length, lines,
                    MsSince(start) / rounds);
        start = NowMs();
        for (int i = 0; i < rounds; ++i)
            ::RedrawWindow(title.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        std::printf(", whole paint %.3f ms\n", MsSince(start) / rounds);
    }
}

} // namespace

int main() {
    ::CoInitialize(nullptr);
    CHost host;
    BenchTitle(host);
    BenchDelays(host);
    BenchAnimation(host);
    ::CoUninitialize();
    return 0;
}
