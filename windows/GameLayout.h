#pragma once
// The game window's placement arithmetic, free of window types so that it
// also builds natively for the sanitizer tests.

#include <cstdint>

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

// The left edge of a button placed `fromRight` pixels left of the right edge
// of a client area `clientWidth` wide, kept within the range of int.
int ButtonLeft(int clientWidth, int fromRight);

// A COLORREF-style 0x00BBGGRR value from three channels, each taken modulo 256.
std::uint32_t ColourFromChannels(int red, int green, int blue);
