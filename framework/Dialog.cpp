#include "Dialog.h"

#include "WinApp.h"
#include "WndCreationHook.h"

namespace {

// Every message is handled by the window procedure; the dialog procedure
// only lets the dialog manager do its default work.
INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The window a modal dialog without an explicit parent is owned by: the
// top-level window of the main window, if that exists.
HWND SafeOwner(CWnd* parent) {
    if (parent)
        return parent->m_hWnd;
    CWinApp* app = AfxGetApp();
    if (!app || !app->m_pMainWnd || !app->m_pMainWnd->m_hWnd)
        return nullptr;
    return ::GetAncestor(app->m_pMainWnd->m_hWnd, GA_ROOT);
}

} // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (control.m_hWnd)
        return;
    HWND item = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
    if (item)
        control.SubclassWindow(item);
}

CDialog::CDialog() = default;

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_pParentWnd(parent) {}

const MessageMap* CDialog::ThisMessageMap() {
    static const MessageMapEntry entries[] = {
        OnMessage<WM_INITDIALOG, &CDialog::HandleInitDialog>(),
        OnCommand<BN_CLICKED, IDOK, &CDialog::OnOK>(),
        OnCommand<BN_CLICKED, IDCANCEL, &CDialog::OnCancel>(),
    };
    static const MessageMap map{CWnd::ThisMessageMap(), entries};
    return &map;
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) {
    return OnInitDialog();
}

const DLGTEMPLATE* CDialog::FindTemplate(DWORD* size) const {
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(m_templateId), MAKEINTRESOURCEA(5));
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    *size = loaded ? ::SizeofResource(module, resource) : 0;
    return loaded ? static_cast<const DLGTEMPLATE*>(::LockResource(loaded)) : nullptr;
}

int CDialog::TemplateFontPoints() const {
    DWORD size = 0;
    const auto* words = reinterpret_cast<const WORD*>(FindTemplate(&size));
    const std::size_t count = words ? size / sizeof(WORD) : 0;
    // The extended layout starts with version 1 and 0xFFFF; its style
    // follows the help id and the extended style. After the fixed part come
    // the menu and the class, each none (0), an ordinal (0xFFFF and a number)
    // or a string, then the title, a string; then the font's point size.
    const bool extended = count >= 2 && words[0] == 1 && words[1] == 0xFFFF;
    const std::size_t styleAt = extended ? 6 : 0;
    std::size_t at = extended ? 13 : 9;
    if (count < at)
        return 0;
    const DWORD style = words[styleAt] | static_cast<DWORD>(words[styleAt + 1]) << 16;
    if (!(style & DS_SETFONT))
        return 0;
    for (int field = 0; field < 3 && at < count; ++field) {
        if (field < 2 && words[at] == 0xFFFF) {
            at += 2;
            continue;
        }
        while (at < count && words[at] != 0)
            ++at;
        ++at; // the terminating zero
    }
    return at < count ? words[at] : 0;
}

BOOL CDialog::CreateFromTemplate(HWND parent) {
    DWORD size = 0;
    const DLGTEMPLATE* tpl = FindTemplate(&size);
    if (!tpl)
        return FALSE;
    HWND hWnd;
    {
        CWndCreationHook hook(this);
        hWnd = ::CreateDialogIndirectParamA(AfxGetInstanceHandle(), tpl, parent, &AfxDlgProc, 0);
    }
    if (!hWnd && m_hWnd)
        Detach();
    return hWnd != nullptr;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    m_templateId = templateId;
    m_pParentWnd = parent;
    return CreateFromTemplate(parent ? parent->m_hWnd : nullptr);
}

INT_PTR CDialog::DoModal() {
    HWND owner = SafeOwner(m_pParentWnd);
    bool reenableOwner = owner && ::IsWindowEnabled(owner);
    if (reenableOwner)
        ::EnableWindow(owner, FALSE);

    m_modalResult = -1;
    m_continueModal = true;
    INT_PTR result = -1;
    if (CreateFromTemplate(owner))
        result = RunModalLoop();
    m_continueModal = false;

    if (m_hWnd)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (reenableOwner && ::IsWindow(owner))
        ::EnableWindow(owner, TRUE);
    if (owner && ::IsWindow(owner) && m_hWnd && ::GetActiveWindow() == m_hWnd)
        ::SetActiveWindow(owner);
    DestroyWindow();
    return result;
}

INT_PTR CDialog::RunModalLoop() {
    // A template without WS_VISIBLE is shown once the queue first runs dry,
    // after the dialog has finished setting itself up.
    bool showOnIdle = !(GetStyle() & WS_VISIBLE);
    while (m_continueModal) {
        MSG peeked;
        if (!::PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE)) {
            if (showOnIdle && m_hWnd) {
                ShowWindow(SW_SHOWNORMAL);
                UpdateWindow();
            }
            showOnIdle = false;
            CWnd::DeleteTempMap();
        }
        if (!AfxPumpMessage()) {
            // Hand the quit on to the loops this one is nested in.
            ::PostQuitMessage(AfxGetQuitCode());
            return -1;
        }
    }
    return m_modalResult;
}

void CDialog::EndModalLoop(int result) {
    if (!m_continueModal)
        return;
    m_modalResult = result;
    m_continueModal = false;
    // Wake the loop in case it is waiting for a message.
    if (m_hWnd)
        PostMessage(WM_NULL);
}

void CDialog::EndDialog(int result) {
    EndModalLoop(result);
    if (m_hWnd)
        ::EndDialog(m_hWnd, result);
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY)
        EndModalLoop(-1);
    return CWnd::WindowProc(message, wParam, lParam);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    // Keyboard input gets the dialog manager's handling: Tab, Enter, Escape.
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hWnd)
        return ::IsDialogMessageA(m_hWnd, msg);
    return FALSE;
}
