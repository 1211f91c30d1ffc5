#include "ToolTipCtrl.h"

#include <commctrl.h>

BOOL CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    RECT none{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
    return CreateEx(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, none, parent, 0);
}

TOOLINFOA CToolTipCtrl::ToolInfo(CWnd* tool, UINT id) {
    TOOLINFOA info{};
    info.cbSize = sizeof(info);
    if (id == 0) {
        info.hwnd = ::GetParent(tool->m_hWnd);
        info.uFlags = TTF_IDISHWND;
        info.uId = reinterpret_cast<UINT_PTR>(tool->m_hWnd);
    } else {
        info.hwnd = tool->m_hWnd;
        info.uId = id;
    }
    return info;
}

BOOL CToolTipCtrl::AddTool(CWnd* tool, const std::string& text, const RECT* rect, UINT id) {
    TOOLINFOA info = ToolInfo(tool, id);
    if (rect)
        info.rect = *rect;
    info.lpszText = const_cast<char*>(text.c_str());
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(const std::string& text, CWnd* tool, UINT id) {
    TOOLINFOA info = ToolInfo(tool, id);
    info.lpszText = const_cast<char*>(text.c_str());
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

std::string CToolTipCtrl::GetText(CWnd* tool, UINT id) const {
    // The control copies at most 80 characters; the buffer takes the longest.
    char text[1024] = {};
    TOOLINFOA info = ToolInfo(tool, id);
    info.lpszText = text;
    SendMessage(TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&info));
    return text;
}
