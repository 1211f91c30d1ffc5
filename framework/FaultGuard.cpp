#include "FaultGuard.h"

#include <windows.h>

namespace {

// The faults of a program's own mistakes. Exceptions raised on purpose (C++
// exceptions, the debugger's messages) are caught where they are meant to be.
bool IsFault(DWORD code) {
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_STACK_OVERFLOW:
    case STATUS_STACK_BUFFER_OVERRUN:
    case STATUS_HEAP_CORRUPTION:
        return true;
    default:
        return false;
    }
}

// Whether `address` lies in the executable's own image. Faults inside the
// system's libraries are left to them: some probe memory and handle the
// fault themselves (the browser's script engine among them).
bool IsInOwnImage(const void* address) {
    const auto* base = reinterpret_cast<const BYTE*>(::GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto* at = static_cast<const BYTE*>(address);
    return at >= base && at < base + nt->OptionalHeader.SizeOfImage;
}

LONG CALLBACK EndOnOwnFault(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    // A debugger, if one is attached, decides for itself.
    if (!IsFault(record->ExceptionCode) || !IsInOwnImage(record->ExceptionAddress) ||
        ::IsDebuggerPresent())
        return EXCEPTION_CONTINUE_SEARCH;
    ::UnhandledExceptionFilter(info);
    ::TerminateProcess(::GetCurrentProcess(), record->ExceptionCode);
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

void InstallFaultGuard() {
    static const PVOID handler = ::AddVectoredExceptionHandler(1, &EndOnOwnFault);
    (void)handler;
}
