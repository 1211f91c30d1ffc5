#pragma once
// Counts of this process's live GDI objects and icons. GetGuiResources reads
// 0 under Wine, so the counts try every handle slot: a handle's low word
// names its slot, and a high word of 0 matches whatever generation the slot
// is in.

#include <windows.h>

int CountGdiObjects();
int CountIcons();
// The size of an icon's image; empty for no icon.
SIZE IconSize(HICON icon);
