#pragma once
// A dialog with the two placeholders that the browser host takes the place
// of, recording the notifications the host sends it.

#include "BrowserTestDialogs.h"
#include "Dialog.h"
#include "SimpleBrowser.h"

#include <functional>
#include <string>
#include <vector>

// A copy of one notification as the parent received it.
struct ReceivedNotification {
    UINT code = 0;
    UINT_PTR idFrom = 0;
    HWND hwndFrom = nullptr;
    WPARAM wParam = 0;
    std::string url;
    std::string frame;
    const void* post_data = nullptr;
    DWORD post_data_size = 0;
    std::string headers;
    LONG progress = 0;
    LONG progress_max = 0;
    std::string text;
};

class CBrowserTestParent : public CDialog {
public:
    CBrowserTestParent() : CDialog(IDD_BROWSER_PARENT) {}

    // Creates the dialog modeless; false if it could not.
    bool Open() { return Create(IDD_BROWSER_PARENT) != FALSE; }
    // Codes of the notifications received so far.
    std::vector<UINT> Codes() const;

    std::vector<ReceivedNotification> m_notifications;
    std::function<void(const ReceivedNotification&)> m_onNotify;

    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }

private:
    void OnBrowserNotify(NMHDR* header, LRESULT* result);
};

// A host that records the navigations offered to it instead of acting on
// them (no hand-over ever starts from the in-process tests).
class CRecordingBrowser : public SimpleBrowser {
public:
    struct Navigation {
        std::string url;
        std::string frame;
        bool hasBody = false;
        std::string body;
        DWORD size = 0;
        std::string headers;
    };
    std::vector<Navigation> m_navigations;
    bool m_cancel = false;

    bool OnBeforeNavigate2(std::string url, std::string frame, void* postData, DWORD size,
                           std::string headers) override;
};

// Makes `host` show a document it trusts, as after the operator's page completed.
void ShowTrustedDocument(SimpleBrowser& host);

// The position of `child` in the client coordinates of `parent`.
RECT RectIn(HWND child, HWND parent);
