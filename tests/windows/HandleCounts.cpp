#include "HandleCounts.h"

#include <windows.h>

namespace {

constexpr UINT_PTR kSlots = 0x10000;

// user32's frame look-up of an animated cursor: it answers for any live
// icon or cursor without making or changing anything.
using FrameInfoFn = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);

} // namespace

int CountGdiObjects() {
    int count = 0;
    for (UINT_PTR slot = 1; slot < kSlots; ++slot)
        count += ::GetObjectType(reinterpret_cast<HGDIOBJ>(slot)) != 0 ? 1 : 0;
    return count;
}

int CountIcons() {
    auto frameInfo = reinterpret_cast<FrameInfoFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetCursorFrameInfo")));
    if (!frameInfo)
        return -1;
    int count = 0;
    for (UINT_PTR slot = 1; slot < kSlots; ++slot) {
        DWORD rate = 0, steps = 0;
        count += frameInfo(reinterpret_cast<HCURSOR>(slot), 0, 0, &rate, &steps) ? 1 : 0;
    }
    return count;
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    BITMAP bitmap{};
    if (!icon || !::GetIconInfo(icon, &info))
        return SIZE{};
    ::GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    // A mask without colour holds the image and its mask one above the other.
    return SIZE{bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
}
