#include "GameLayout.h"

#include <algorithm>
#include <climits>

namespace {

int Scaled(int value, double factor) {
    double product = value * factor;
    // Out-of-range products have no int value; desktops never get near them.
    return static_cast<int>(
        std::clamp(product, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

} // namespace

GameRect InitialGamePlacement(int desktopRight, int desktopBottom) {
    return {Scaled(desktopRight, 0.1), Scaled(desktopBottom, 0.1), Scaled(desktopRight, 0.75),
            Scaled(desktopBottom, 0.75)};
}

int ButtonLeft(int clientWidth, int fromRight) {
    // A skin may give any number; the difference must not overflow.
    long long left = static_cast<long long>(clientWidth) - fromRight;
    return static_cast<int>(std::clamp<long long>(left, INT_MIN, INT_MAX));
}

std::uint32_t ColourFromChannels(int red, int green, int blue) {
    auto channel = [](int value) { return static_cast<std::uint32_t>(value) & 0xFFu; };
    return channel(red) | channel(green) << 8 | channel(blue) << 16;
}
