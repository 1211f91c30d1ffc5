#pragma once
// CDialog: a dialog from a template in the resources, run modally by our own
// nesting modal loop (DoModal) or modeless (Create).

#include "Wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

// Binds control `id` of the dialog to `control` by subclassing it, once.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
public:
    CDialog();
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Runs the dialog modally; returns the value given to EndDialog, or -1
    // when the loop ended for a quit message or the dialog could not be created.
    virtual INT_PTR DoModal();
    // Creates the dialog modeless.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    // The point size of the font the dialog's template names; 0 when it
    // names none or there is no template.
    int TemplateFontPoints() const;

    BOOL PreTranslateMessage(MSG* msg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

protected:
    UINT m_templateId = 0;
    CWnd* m_pParentWnd = nullptr;

private:
    // The template in the resources and its size in bytes; null without one.
    const DLGTEMPLATE* FindTemplate(DWORD* size) const;
    BOOL CreateFromTemplate(HWND parent);
    INT_PTR RunModalLoop();
    void EndModalLoop(int result);
    LRESULT HandleInitDialog(WPARAM, LPARAM);

    bool m_continueModal = false;
    int m_modalResult = -1;
};
