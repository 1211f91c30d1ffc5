#pragma once
// Conversions between the program's narrow text (an ANSI code page) and the
// UTF-16 of the browser, the XML parser and GDI+. Buffers are sized by the
// conversion itself, so any code page works, UTF-8 (3 bytes a character) too.
// Embedded NULs are kept.

#include <windows.h>

#include <string>
#include <string_view>

std::wstring ToWide(std::string_view text, UINT codePage = CP_THREAD_ACP);
std::string ToNarrow(std::wstring_view text, UINT codePage = CP_THREAD_ACP);
// A BSTR's whole length (it may hold NULs); a null BSTR gives the empty text.
std::string BstrToNarrow(BSTR text, UINT codePage = CP_THREAD_ACP);

// Searches in narrow text that never take the trail byte of a double-byte
// character (code page `codePage`) for the character sought. npos when absent.
size_t MbcsFindFirst(std::string_view text, char ch, UINT codePage = CP_ACP);
size_t MbcsFindLast(std::string_view text, char ch, UINT codePage = CP_ACP);
