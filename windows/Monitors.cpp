#include "Monitors.h"

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, RECT*, LPARAM monitors) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoA(monitor, &info)) {
        const bool primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
        RECT work = info.rcWork;
        if (primary)
            ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        reinterpret_cast<std::vector<MonitorArea>*>(monitors)->push_back(
            {ToScreenRect(info.rcMonitor), ToScreenRect(work), primary});
    }
    return TRUE;
}

} // namespace

std::vector<MonitorArea> DisplayMonitors() {
    std::vector<MonitorArea> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) {
        RECT desktop{}, work{};
        ::GetWindowRect(::GetDesktopWindow(), &desktop);
        ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        monitors.push_back({ToScreenRect(desktop), ToScreenRect(work), true});
    }
    return monitors;
}

MonitorArea MonitorHoldingRect(const RECT& rect) {
    const std::vector<MonitorArea> monitors = DisplayMonitors();
    return monitors[MonitorHolding(monitors, ToScreenRect(rect))];
}

ScreenRect ToScreenRect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

RECT ToRect(const ScreenRect& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}
