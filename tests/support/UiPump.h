#pragma once
// Message pumping for tests that drive real windows.

#include <windows.h>

#include <functional>

// Dispatches the thread's messages until `done` returns true or the time is
// up; returns the last value of `done`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Dispatches the thread's messages for the given time.
void PumpFor(DWORD ms);
