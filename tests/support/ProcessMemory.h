#pragma once
// How much memory the test process has taken.

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstddef>

// The most memory the process has had at once so far, in bytes: committed,
// or resident where that is larger. Wine reports the current commit as its
// peak, so only the resident peak remembers what has since been freed.
inline std::size_t PeakMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return std::max(counters.PeakPagefileUsage, counters.PeakWorkingSetSize);
}
