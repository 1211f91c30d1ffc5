#pragma once
// What tests read of an installed program: its version information, and
// the process running from its file.

#include <windows.h>

#include <string>

// A version resource's string `name`, from its first language.
std::string VersionString(const std::string& file, const std::string& name);
// The fixed file version, "a.b.c.d"; empty without version information.
std::string FixedFileVersion(const std::string& file);
// A running process started from `exe`, once one is (within `timeoutMs`);
// 0 when none is.
DWORD ProcessRunningFrom(const std::string& exe, DWORD timeoutMs = 60000);
// Ends the process `id` and waits for it to be gone.
void EndProcess(DWORD id);
