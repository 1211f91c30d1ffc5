#pragma once
// A fault in the program's own code ends the process, wherever it happens.
// Wine, and 64-bit Windows in some configurations, swallow an exception
// raised inside a window procedure that the system called (a message sent or
// dispatched): the program would go on with whatever the fault left
// half-done, and a crash would go unseen. The guard hands such a fault to the
// system's unhandled-exception handling (the crash report or debugger) and
// then ends the process with the fault's code, as an unhandled fault would.

// Installs the guard for the whole process; later calls do nothing.
void InstallFaultGuard();
