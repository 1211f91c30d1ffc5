#pragma once
// The update's download window, modal over the login window: the new
// version, a progress bar, the size done and left, and a Cancel button
// (closing the window cancels too; what came is kept for the next try). In
// the system's language, as the prompt.

#include "Dialog.h"
#include "UpdateDownload.h"

#include <memory>
#include <string>

class CUpdateDownloadDlg : public CDialog {
public:
    static constexpr UINT kTemplateId = 130;
    static constexpr int kVersionLine = 1030;
    static constexpr int kProgressBar = 1031;
    static constexpr int kAmountLine = 1032;

    // A failure is told to the player, with the end of the client when the
    // update is `mandatory`.
    CUpdateDownloadDlg(UpdateCheckSetup check, UpdateDescription update, bool mandatory,
                       CWnd* parent);
    ~CUpdateDownloadDlg() override;

    BOOL OnInitDialog() override;
    // Enter does not end the download.
    void OnOK() override {}
    void OnCancel() override;

    // How the download ended once the window has; the verified installer
    // after Verified.
    UpdateDownloadEnd End() const { return m_end; }
    const std::wstring& Installer() const { return m_installer; }

    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

private:
    LRESULT OnProgress(WPARAM done, LPARAM total);
    void OnEnded();
    void OnDestroy();
    void SetItemText(int id, const std::wstring& text) const;

    const UpdateCheckSetup m_check;
    const UpdateDescription m_update;
    const bool m_mandatory;
    std::unique_ptr<CUpdateDownload> m_download;
    UpdateDownloadEnd m_end = UpdateDownloadEnd::Cancelled;
    std::wstring m_installer;
};
