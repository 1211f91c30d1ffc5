#pragma once
// The monitors the game window places itself on, read from the system.

#include "GameLayout.h"

#include <windows.h>

#include <vector>

// Every monitor of the desktop, never none. The primary monitor's work area
// is the one the system gives for SPI_GETWORKAREA.
std::vector<MonitorArea> DisplayMonitors();

// The monitor that holds most of `rect` (MonitorHolding), the primary one
// for an empty `rect`.
MonitorArea MonitorHoldingRect(const RECT& rect);

ScreenRect ToScreenRect(const RECT& rect);
RECT ToRect(const ScreenRect& rect);
