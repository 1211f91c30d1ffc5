#pragma once
// How a navigation event's address reaches the hand-over rules: the browser
// gives UTF-16, the rules work on the program's narrow text.

#include <windows.h>

#include <string>

// Narrow text of a URL-like event argument, the whole string (NULs included)
// in `codePage`: empty unless the VARIANT holds a string.
std::string NavigationText(const VARIANT* value, UINT codePage = CP_THREAD_ACP);

// Whether a byte starts a double-byte character in the ANSI code page.
bool IsAnsiLeadByte(unsigned char byte);
