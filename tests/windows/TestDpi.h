#pragma once
// The display DPI a test run asks for: the test command runs the scaling
// tests again in Wine prefixes made at 144 and 192 DPI (CLIENT_DPI).

#include "DpiScale.h"

#include <cstdlib>

inline int PrefixDpi() {
    const char* dpi = std::getenv("CLIENT_DPI");
    return dpi && *dpi ? std::atoi(dpi) : kSkinDpi;
}

// A DPI of a monitor beside the prefix's display: 200 %, or 100 % beside a
// display at 200 %.
inline int OtherDpi() {
    return PrefixDpi() == 192 ? kSkinDpi : 192;
}
