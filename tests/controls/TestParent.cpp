#include "TestParent.h"

#include "Gdi.h"

CTestParent::CTestParent(int left, int top, int width, int height, COLORREF colour)
    : m_colour(colour) {
    RECT area{left, top, left + width, top + height};
    CreateEx(WS_EX_TOPMOST, AfxRegisterWndClass(0, ::LoadCursor(nullptr, IDC_ARROW)), "controls",
             kStyle | WS_VISIBLE, area, nullptr, 0);
    UpdateWindow();
}

CTestParent::~CTestParent() {
    DestroyWindow();
}

const MessageMap* CTestParent::ThisMessageMap() {
    static const MessageMapEntry entries[] = {
        OnMessage<WM_PAINT, &CTestParent::OnPaint>(),
        OnMessage<WM_ERASEBKGND, &CTestParent::OnEraseBkgnd>(),
    };
    static const MessageMap map{CWnd::ThisMessageMap(), entries};
    return &map;
}

HWND CTestParent::CreateChild(const char* className, const char* text, DWORD style,
                              const RECT& area, UINT id) {
    return ::CreateWindowExA(0, className, text, style | WS_CHILD | WS_VISIBLE, area.left, area.top,
                             area.right - area.left, area.bottom - area.top, m_hWnd,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                             AfxGetInstanceHandle(), nullptr);
}

void CTestParent::OnPaint() {
    CPaintDC dc(this);
    ++m_paints;
    m_paintedAreas.push_back(dc.m_ps.rcPaint);
    RECT client;
    GetClientRect(&client);
    dc.FillSolidRect(client, m_colour);
}
