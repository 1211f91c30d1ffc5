#pragma once
// Thin wrappers of the standard controls the skinned controls derive from.

#include "Wnd.h"

class CStatic : public CWnd {};

class CButton : public CWnd {
public:
    UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
    void SetState(BOOL pushed) { SendMessage(BM_SETSTATE, pushed); }
};
