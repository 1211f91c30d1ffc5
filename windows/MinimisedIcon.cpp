#include "MinimisedIcon.h"

#include "Gdi.h"

void PaintMinimisedIcon(CWnd& window, HICON icon) {
    CPaintDC dc(&window);
    window.SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()));
    RECT client;
    window.GetClientRect(&client);
    int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    if (icon)
        dc.DrawIcon(x, y, icon);
}
