#pragma once
// Checks that a .bmp file holds everything its headers promise before the
// system's loader reads it: some loaders read past the end of a truncated
// file instead of failing.

#include <cstdint>
#include <span>
#include <string>

bool IsCompleteBitmap(std::span<const std::uint8_t> file);
// Reads the file at `path` (narrow, ANSI code page) and checks it.
bool IsCompleteBitmapFile(const std::string& path);
