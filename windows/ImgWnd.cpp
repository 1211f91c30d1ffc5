#include "ImgWnd.h"

#include "DisplayDpi.h"
#include "TranslucentDialog.h"

CImgWnd::CImgWnd(const std::wstring& imagePath) : CDialog(kTemplateId, nullptr) {
    m_pBackdrop = new CTranslucentDialog(imagePath, this);
    m_pParentWnd = m_pBackdrop;
    m_brKey.CreateSolidBrush(m_crKey);
}

CImgWnd::~CImgWnd() {
    delete m_pBackdrop;
    m_pBackdrop = nullptr;
}

const MessageMap* CImgWnd::ThisMessageMap() {
    static const MessageMapEntry entries[] = {
        OnMessage<WM_CTLCOLOR, &CImgWnd::OnCtlColor>(),
        OnMessage<WM_DPICHANGED, &CImgWnd::OnDpiChanged>(),
    };
    static const MessageMap map{CDialog::ThisMessageMap(), entries};
    return &map;
}

INT_PTR CImgWnd::DoModal() {
    return m_pBackdrop->DoModal();
}

BOOL CImgWnd::CreateContent() {
    return Create(m_templateId, m_pParentWnd);
}

LRESULT CImgWnd::OnDpiChanged(WPARAM wParam, LPARAM) {
    ChangeDpi(DpiOfChange(wParam));
    return 0;
}

void CImgWnd::ApplyColourKey() {
    ModifyStyleEx(0, WS_EX_LAYERED);
    ::SetLayeredWindowAttributes(m_hWnd, m_crKey, 0, LWA_COLORKEY);
}

BOOL CImgWnd::OnInitDialog() {
    CDialog::OnInitDialog();
    ApplyColourKey();
    return TRUE;
}

HBRUSH CImgWnd::OnCtlColor(CDC* dc, CWnd* control, UINT kind) {
    if (kind == CTLCOLOR_DLG)
        return m_brKey;
    return CWnd::OnCtlColor(dc, control, kind);
}

void CImgWnd::OnOK() {}

void CImgWnd::OnCancel() {
    if (HWND owner = ::GetParent(m_hWnd))
        ::SendMessageA(owner, WM_CLOSE, 0, 0);
    CDialog::OnCancel();
}
