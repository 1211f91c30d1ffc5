#pragma once
// Checks that a .bmp file holds everything its headers promise before the
// system's loader reads it: some loaders read past the end of a truncated
// file instead of failing.

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

// Whether a file of `fileSize` bytes that starts with `start` (its headers, or
// more) holds everything they promise.
bool IsCompleteBitmap(std::span<const std::uint8_t> start, std::uint64_t fileSize);
// The same for a file wholly in memory.
bool IsCompleteBitmap(std::span<const std::uint8_t> file);
// Reads the headers and the size of the file at `path` (narrow, ANSI code
// page) and checks them; the pixels are never read.
bool IsCompleteBitmapFile(const std::string& path);
// Loads the .bmp file at `path` with LR_LOADFROMFILE and `flags` once the
// check has passed; null when it does not or the load fails.
HBITMAP LoadBitmapFile(const char* path, UINT flags = 0);
