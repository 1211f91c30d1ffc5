#pragma once
// Base of a dialog shown over a shaped, translucent image: this dialog holds
// the controls on a background of a key colour that the system makes
// transparent, and owns the backdrop window that shows the image behind it.

#include "Dialog.h"
#include "DpiScale.h"
#include "Gdi.h"

#include <string>

class CTranslucentDialog;

class CImgWnd : public CDialog {
public:
    // The backdrop shows the image at `imagePath`.
    explicit CImgWnd(const std::wstring& imagePath);
    ~CImgWnd() override;

    // Runs the backdrop's modal loop; this dialog is never modal itself.
    INT_PTR DoModal() override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);

    // Creates this dialog modeless over its backdrop (called by the backdrop).
    BOOL CreateContent();
    CTranslucentDialog* Backdrop() const { return m_pBackdrop; }
    // Lays the controls out again for a move to a monitor of another DPI.
    virtual void ChangeDpi(int dpi) { m_dpi = dpi; }

    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

    static constexpr UINT kTemplateId = 129;

protected:
    // The backdrop keeps this window over itself; on a move to another DPI
    // only the layout changes.
    LRESULT OnDpiChanged(WPARAM wParam, LPARAM);
    // Makes every pixel of the key colour transparent, to sight and to the mouse.
    void ApplyColourKey();

    CTranslucentDialog* m_pBackdrop = nullptr;
    // The DPI the window is shown at: the skin's lengths are scaled by it.
    int m_dpi = kSkinDpi;
    COLORREF m_crKey = RGB(0, 255, 0);
    CBrush m_brKey;
};
