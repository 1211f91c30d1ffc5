#pragma once
// The game window's placement arithmetic, free of window types so that it
// also builds natively for the sanitizer tests.

#include <cstddef>
#include <cstdint>
#include <span>

struct GameRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where the game window opens on a desktop whose bottom-right corner is
// (right, bottom): a tenth of the way in, three quarters of its size, each
// product truncated toward zero.
GameRect InitialGamePlacement(int desktopRight, int desktopBottom);

// A rectangle of the virtual screen; right and bottom lie just outside it.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A monitor: all of it, and the part of it that task bars leave free.
struct MonitorArea {
    ScreenRect bounds;
    ScreenRect work;
    bool primary = false;
};

// Where the game window opens on a monitor: a tenth of the monitor's size in
// from its top-left corner, three quarters of its size. On a monitor at the
// origin it is the placement above.
GameRect InitialGamePlacement(const ScreenRect& monitor);

// The index of the monitor that holds the largest part of `rect`; when it
// lies on none, of the monitor nearest to its centre; for an empty `rect`, of
// the primary monitor. `monitors` is not empty.
std::size_t MonitorHolding(std::span<const MonitorArea> monitors, const ScreenRect& rect);

// `rect` as it is when any of it lies on a monitor's work area; otherwise
// moved onto the work area of the monitor nearest to it, and shrunk to fit it.
ScreenRect OntoAMonitor(std::span<const MonitorArea> monitors, const ScreenRect& rect);

// The left edge of a button placed `fromRight` pixels left of the right edge
// of a client area `clientWidth` wide, kept within the range of int.
int ButtonLeft(int clientWidth, int fromRight);

// A COLORREF-style 0x00BBGGRR value from three channels, each taken modulo 256.
std::uint32_t ColourFromChannels(int red, int green, int blue);
