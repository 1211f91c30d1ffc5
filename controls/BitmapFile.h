#pragma once
// Loads .bmp files only once the check has found them complete.

#include "BitmapCheck.h"
#include "DpiScale.h"

#include <windows.h>

#include <functional>
#include <string>
// Reads the headers and the size of the file at `path` (narrow, ANSI code
// page) and checks them; the pixels are never read.
bool IsCompleteBitmapFile(const std::string& path);
// Loads the .bmp file at `path` with LR_LOADFROMFILE and `flags` once the
// check has passed; null when it does not or the load fails.
HBITMAP LoadBitmapFile(const char* path, UINT flags = 0);

// The file to load for the skin image at `path` drawn at `dpi`: from 150 % on
// its twice-size version where there is one (`*factor` = 2: two of its
// pixels make one of the skin), otherwise `path` itself (`*factor` = 1).
std::string ImageFileForDpi(const std::string& path, int dpi, int* factor);

// Loads the skin image at `path` for `dpi` with `load(file, factor)`: the
// file ImageFileForDpi chooses, and the image itself when a twice-size
// version does not load. The factor of what loaded; 0 when nothing did.
int LoadImageForDpi(const std::string& path, int dpi,
                    const std::function<bool(const std::string& file, int factor)>& load);

// LoadBitmapFile (with LR_CREATEDIBSECTION) as LoadImageForDpi loads it;
// `*factor` is 1 when nothing loaded.
HBITMAP LoadBitmapFileForDpi(const std::string& path, int dpi, int* factor);
