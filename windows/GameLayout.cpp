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

long long Width(const ScreenRect& r) {
    return static_cast<long long>(r.right) - r.left;
}

long long Height(const ScreenRect& r) {
    return static_cast<long long>(r.bottom) - r.top;
}

long long OverlapArea(const ScreenRect& a, const ScreenRect& b) {
    const long long width = std::min<long long>(a.right, b.right) - std::max(a.left, b.left);
    const long long height = std::min<long long>(a.bottom, b.bottom) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

// How far a rectangle's centre lies from a monitor, squared.
long long DistanceSquared(const ScreenRect& rect, const ScreenRect& monitor) {
    const long long x = (static_cast<long long>(rect.left) + rect.right) / 2;
    const long long y = (static_cast<long long>(rect.top) + rect.bottom) / 2;
    const long long dx = x < monitor.left     ? monitor.left - x
                         : x >= monitor.right ? x - monitor.right + 1
                                              : 0;
    const long long dy = y < monitor.top       ? monitor.top - y
                         : y >= monitor.bottom ? y - monitor.bottom + 1
                                               : 0;
    return dx * dx + dy * dy;
}

} // namespace

GameRect InitialGamePlacement(const ScreenRect& monitor) {
    const GameRect inside =
        InitialGamePlacement(static_cast<int>(std::clamp<long long>(Width(monitor), 0, INT_MAX)),
                             static_cast<int>(std::clamp<long long>(Height(monitor), 0, INT_MAX)));
    return {static_cast<int>(std::clamp<long long>(static_cast<long long>(monitor.left) + inside.x,
                                                   INT_MIN, INT_MAX)),
            static_cast<int>(std::clamp<long long>(static_cast<long long>(monitor.top) + inside.y,
                                                   INT_MIN, INT_MAX)),
            inside.width, inside.height};
}

std::size_t MonitorHolding(std::span<const MonitorArea> monitors, const ScreenRect& rect) {
    if (Width(rect) <= 0 || Height(rect) <= 0) {
        const auto primary = std::find_if(monitors.begin(), monitors.end(),
                                          [](const MonitorArea& m) { return m.primary; });
        return primary == monitors.end() ? 0 : static_cast<std::size_t>(primary - monitors.begin());
    }
    std::size_t best = 0;
    for (std::size_t i = 1; i < monitors.size(); ++i) {
        const long long area = OverlapArea(rect, monitors[i].bounds);
        const long long bestArea = OverlapArea(rect, monitors[best].bounds);
        if (area > bestArea || (area == 0 && bestArea == 0 &&
                                DistanceSquared(rect, monitors[i].bounds) <
                                    DistanceSquared(rect, monitors[best].bounds)))
            best = i;
    }
    return best;
}

ScreenRect OntoAMonitor(std::span<const MonitorArea> monitors, const ScreenRect& rect) {
    for (const MonitorArea& monitor : monitors)
        if (OverlapArea(rect, monitor.work) > 0)
            return rect;
    const ScreenRect work = monitors[MonitorHolding(monitors, rect)].work;
    const long long width = std::min(std::max<long long>(Width(rect), 0), Width(work));
    const long long height = std::min(std::max<long long>(Height(rect), 0), Height(work));
    const long long left = std::clamp<long long>(rect.left, work.left, work.right - width);
    const long long top = std::clamp<long long>(rect.top, work.top, work.bottom - height);
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width),
            static_cast<int>(top + height)};
}

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
