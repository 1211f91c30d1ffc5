#pragma once
// The image check (ImageCheck.h) on files, before a platform decoder opens
// them by name.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

// Files larger than this are not read to be checked, and so not decoded:
// twice the largest backdrop's pixels at 32 bits.
inline constexpr std::uint64_t kMaxCheckedImageBytes = std::uint64_t{512} << 20;

// What keeps the file at `path` from being decoded (ImageFileProblem), or
// that it cannot be read whole; nothing when it may be decoded.
std::optional<std::string> ImageFileProblemAt(const std::wstring& path);

// The icon file at `path` (narrow, ANSI code page), loaded as the system
// loads it at `width` x `height` (0: the file's own size), once its
// directory has been found to lie inside it; null when it does not or the
// load fails.
HICON LoadIconFile(const char* path, int width = 0, int height = 0);
