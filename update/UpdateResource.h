#pragma once
// Where a branded client carries its update address and key: two RCDATA
// resources, language neutral, written by the release tool. The address is
// ASCII without a terminator; the key is in the form of UpdateKeyFormat.h.
// The unbranded client has neither, and looks for no updates.

inline constexpr wchar_t kUpdateUrlResource[] = L"UPDATE_URL";
inline constexpr wchar_t kUpdateKeyResource[] = L"UPDATE_KEY";
// Where a branded client sends its crash reports: ASCII, no terminator.
inline constexpr wchar_t kCrashReportUrlResource[] = L"CRASH_REPORT_URL";
