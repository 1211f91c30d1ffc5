#include "LoginWindows.h"

#include "UiPump.h"

LoginWindows WaitForLoginWindow(const ChildProcess& client) {
    // The content window holds the close button and is owned by the backdrop.
    HWND content = client.WaitForWindow([](HWND window) {
        HWND owner = ::GetWindow(window, GW_OWNER);
        return ::GetDlgItem(window, 1000) && owner && ::IsWindowVisible(owner);
    });
    PumpFor(300);
    return {content ? ::GetWindow(content, GW_OWNER) : nullptr, content};
}
