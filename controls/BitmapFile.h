#pragma once
// Loads .bmp files only once the check has found them complete.

#include "BitmapCheck.h"

#include <windows.h>

#include <string>
// Reads the headers and the size of the file at `path` (narrow, ANSI code
// page) and checks them; the pixels are never read.
bool IsCompleteBitmapFile(const std::string& path);
// Loads the .bmp file at `path` with LR_LOADFROMFILE and `flags` once the
// check has passed; null when it does not or the load fails.
HBITMAP LoadBitmapFile(const char* path, UINT flags = 0);
