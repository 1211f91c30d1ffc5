#include "LoginWindows.h"

#include "UiPump.h"

namespace {

struct LoginSearch {
    DWORD processId;
    LoginWindows found;
};

// The content window is a visible top-level window with the close button,
// owned by the backdrop.
BOOL CALLBACK FindLoginWindows(HWND hWnd, LPARAM lParam) {
    auto* search = reinterpret_cast<LoginSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hWnd, &owner);
    if (owner == search->processId && ::IsWindowVisible(hWnd) && ::GetDlgItem(hWnd, 1000) &&
        ::GetWindow(hWnd, GW_OWNER)) {
        search->found.content = hWnd;
        search->found.backdrop = ::GetWindow(hWnd, GW_OWNER);
    }
    return TRUE;
}

} // namespace

LoginWindows WaitForLoginWindow(const ChildProcess& client) {
    LoginSearch search{client.Id(), {}};
    PumpUntil(
        [&] {
            ::EnumWindows(&FindLoginWindows, reinterpret_cast<LPARAM>(&search));
            return search.found.content && ::IsWindowVisible(search.found.backdrop);
        },
        30000);
    PumpFor(300);
    return search.found;
}
