#pragma once
// Empties the browser's URL cache (the WinINet cache the embedded browser
// shares with the system's browser). Reports nothing.
void ClearUrlCache();
