#include "MinimisedIcon.h"

#include "DisplayDpi.h"
#include "Gdi.h"

void PaintMinimisedIcon(CWnd& window, HICON icon, int dpi) {
    CPaintDC dc(&window);
    window.SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()));
    RECT client;
    window.GetClientRect(&client);
    const int width = SystemMetricForDpi(SM_CXICON, dpi);
    const int height = SystemMetricForDpi(SM_CYICON, dpi);
    int x = (client.right - client.left - width + 1) / 2;
    int y = (client.bottom - client.top - height + 1) / 2;
    if (icon)
        ::DrawIconEx(dc.GetSafeHdc(), x, y, icon, width, height, 0, nullptr, DI_NORMAL);
}
