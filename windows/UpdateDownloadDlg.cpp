#include "UpdateDownloadDlg.h"

#include "TextConversion.h"
#include "UpdatePrompt.h"

#include <commctrl.h>

#include <cwchar>

namespace {

constexpr UINT kProgressMessage = WM_APP + 50;
constexpr UINT kEndedMessage = WM_APP + 51;
constexpr int kBarSteps = 1000;

std::wstring Megabytes(std::uint64_t bytes) {
    wchar_t text[32] = {};
    std::swprintf(text, 32, L"%.1f", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

} // namespace

CUpdateDownloadDlg::CUpdateDownloadDlg(UpdateCheckSetup check, UpdateDescription update,
                                       bool mandatory, CWnd* parent)
    : CDialog(kTemplateId, parent), m_check(std::move(check)), m_update(std::move(update)),
      m_mandatory(mandatory) {
    // The template's progress bar needs its class before the window is made.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
}

CUpdateDownloadDlg::~CUpdateDownloadDlg() = default;

const MessageMap* CUpdateDownloadDlg::ThisMessageMap() {
    static const MessageMapEntry entries[] = {
        OnMessage<kProgressMessage, &CUpdateDownloadDlg::OnProgress>(),
        OnMessage<kEndedMessage, &CUpdateDownloadDlg::OnEnded>(),
        OnMessage<WM_DESTROY, &CUpdateDownloadDlg::OnDestroy>(),
    };
    static const MessageMap map{CDialog::ThisMessageMap(), entries};
    return &map;
}

void CUpdateDownloadDlg::SetItemText(int id, const std::wstring& text) const {
    ::SetDlgItemTextW(m_hWnd, id, text.c_str());
}

BOOL CUpdateDownloadDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    ::SetWindowTextW(m_hWnd, UpdateText("游戏更新", "Game update").c_str());
    SetItemText(kVersionLine, UpdateText("正在下载新版本 ", "Downloading version ") +
                                  ToWide(m_update.version.Text(), CP_ACP));
    SetItemText(IDCANCEL, UpdateText("取消", "Cancel"));
    ::SendDlgItemMessageW(m_hWnd, kProgressBar, PBM_SETRANGE32, 0, kBarSteps);
    OnProgress(0, static_cast<LPARAM>(m_update.installerSize));
    m_download = std::make_unique<CUpdateDownload>(m_check, m_update, m_hWnd, kProgressMessage,
                                                   kEndedMessage);
    return TRUE;
}

LRESULT CUpdateDownloadDlg::OnProgress(WPARAM done, LPARAM total) {
    const std::uint64_t size = static_cast<DWORD>(total);
    const std::uint64_t came = std::min<std::uint64_t>(static_cast<DWORD>(done), size);
    ::SendDlgItemMessageW(m_hWnd, kProgressBar, PBM_SETPOS,
                          size ? static_cast<WPARAM>(came * kBarSteps / size) : 0, 0);
    SetItemText(kAmountLine, UpdateText("已下载 ", "") + Megabytes(came) +
                                 UpdateText(" MB，还剩 ", " MB done, ") + Megabytes(size - came) +
                                 UpdateText(" MB", " MB left"));
    return 0;
}

void CUpdateDownloadDlg::OnEnded() {
    const std::optional<UpdateDownloadResult> result =
        m_download ? m_download->Result() : std::nullopt;
    if (!result)
        return;
    m_end = result->end;
    switch (m_end) {
    case UpdateDownloadEnd::Verified:
        m_installer = result->installer;
        SetItemText(kAmountLine, UpdateText("下载完成，已验证。", "Downloaded and verified."));
        EndDialog(IDOK);
        break;
    case UpdateDownloadEnd::Cancelled:
        EndDialog(IDCANCEL);
        break;
    case UpdateDownloadEnd::Failed:
        TellUpdateFailed(m_hWnd, m_mandatory);
        EndDialog(IDABORT);
        break;
    }
}

void CUpdateDownloadDlg::OnCancel() {
    // The thread logs the cancel and keeps the part; the window need not wait.
    if (m_download)
        m_download->Cancel();
    m_end = UpdateDownloadEnd::Cancelled;
    EndDialog(IDCANCEL);
}

void CUpdateDownloadDlg::OnDestroy() {
    // The download reports to this window: it stops before the window goes.
    m_download.reset();
    Default();
}
