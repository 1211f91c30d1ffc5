#pragma once
// The common tooltip control.

#include "Wnd.h"

#include <commctrl.h>

#include <string>

class CToolTipCtrl : public CWnd {
public:
    // A tooltip window owned by `parent` with the extra tooltip style `style`.
    BOOL Create(CWnd* parent, DWORD style = 0);
    // A tool covering all of `tool` (id 0) or the rectangle `rect` of it (id != 0).
    BOOL AddTool(CWnd* tool, const std::string& text, const RECT* rect = nullptr, UINT id = 0);
    void UpdateTipText(const std::string& text, CWnd* tool, UINT id = 0);
    std::string GetText(CWnd* tool, UINT id = 0) const;
    void Activate(BOOL activate) { SendMessage(TTM_ACTIVATE, activate); }
    void RelayEvent(MSG* msg) { SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg)); }

private:
    static TOOLINFOA ToolInfo(CWnd* tool, UINT id);
};
