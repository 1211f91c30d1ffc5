#pragma once
// SimpleBrowser: the child window through which the windows show web pages.
// It takes the place of a placeholder control, hosts the web browser control
// in an inner window, installs the document host UI handler (and with it
// window.external) into every new top-level document, tells its parent about
// browser events with WM_NOTIFY, reloads every later completed top-level
// document once, and watches top-level navigations for the hand-over to the
// external game program.
//
// Trust: the commands answer, and navigations may arm or start the
// hand-over, only while the current top-level document is trusted by
// m_trust. The current document's address is the one its navigation
// completed with, replaced by the address its DocumentComplete reports (the
// final one, after any redirect), and it is looked at on every call: a page
// that navigates elsewhere takes nothing with it. The window that owns the
// host fills m_trust before the first navigation: the origins of the
// operator's pages (TrustOriginOf, TrustListed) and, through TrustAddress,
// any page the client shows itself that has no such origin (a blank page,
// a file or resource page of its own). A page reached by a link, a redirect
// or a script is never trusted by its address alone.

#include "DocHostUIHandler.h"
#include "TrustedOrigins.h"
#include "Wnd.h"

#include <exdisp.h>

#include <string>

class SimpleBrowser : public CWnd {
public:
    // WM_NOTIFY codes sent to the parent.
    enum NotificationCode : UINT {
        DocumentComplete = 1,
        DownloadBegin = 2,
        ProgressChange = 3,
        DownloadComplete = 4,
        NavigateComplete2 = 5,
        StatusTextChange = 6,
        TitleChange = 7,
        PrintTemplateInstantiation = 8,
        PrintTemplateTeardown = 9,
        // A top-level navigation failed; `progress` holds the status.
        NavigateError = 10,
    };

    // The record a notification's lParam points to, valid during the send.
    struct Notification {
        NMHDR hdr;
        std::string url;
        std::string frame;
        void* post_data;
        DWORD post_data_size;
        std::string headers;
        LONG progress;
        LONG progress_max;
        std::string text;
    };

    SimpleBrowser();
    ~SimpleBrowser() override;

    // Replaces the parent's control `placeholderId` with the browser, on the
    // rectangle x, y, width, height (in screen coordinates for placeholder
    // 1001), and starts navigating to `url`. FALSE, leaving no window, when
    // the placeholder, a window, the control or its interfaces are missing.
    // `dpi` scales the control's first place inside the login window's host.
    BOOL CreateBrowser(const char* url, int x, int y, int width, int height, CWnd* parent,
                       UINT placeholderId, int dpi = 96);
    void Navigate(const char* url);
    void Refresh();
    // Marks the page at exactly `url`, as the browser will report it, as one
    // the client shows itself: call it before navigating there. Only for the
    // client's own pages (file:, res:, about:blank), never for an address a
    // page supplied.
    void TrustAddress(const char* url);
    // Whether a top-level document is shown and m_trust trusts its address.
    bool IsDocumentTrusted() const;
    // Zooms the page to `percent` of the size it has at the system's DPI,
    // and each new top-level document once it is complete: the engine ignores
    // a zoom asked for before there is a document, and a new document need
    // not keep the last one's.
    void SetZoom(int percent);
    // Moves the host to `place` for a change of the window's DPI to `dpi`. A
    // page still where it was made inside the host stays there, scaled from
    // the DPI it was made at as the host's place is; otherwise the page fills
    // the host as after any resize.
    void MoveForDpi(const RECT& place, int dpi);
    // Shows `page` (a file: or res: address the client chose, without a
    // query) instead of the browser's own error page when a top-level
    // navigation cannot reach its server, telling it the failed address, the
    // reason and `more` ("&name=value" pairs). While it shows, the failed
    // address is tried again after growing pauses, until a page other than it
    // completes; the tries end with the window. Empty: the browser's own page.
    void SetOfflinePage(std::string page, std::string more);

    // Browser events of the top-level frame (and the frame-less ones). All
    // but OnBeforeNavigate2 notify the parent; OnBeforeNavigate2 returns
    // whether to cancel the navigation.
    virtual bool OnBeforeNavigate2(std::string url, std::string frame, void* postData,
                                   DWORD postDataSize, std::string headers);
    virtual void OnDocumentComplete(std::string url);
    virtual void OnDownloadBegin();
    virtual void OnProgressChange(LONG progress, LONG progressMax);
    virtual void OnDownloadComplete();
    virtual void OnNavigateComplete2(std::string url);
    virtual void OnStatusTextChange(std::string text);
    virtual void OnTitleChange(std::string text);
    virtual void OnPrintTemplateInstantiation();
    virtual void OnPrintTemplateTeardown();
    virtual void OnNavigateError(std::string url, LONG status);

    BOOL PreTranslateMessage(MSG* msg) override;
    static const MessageMap* ThisMessageMap();
    const MessageMap* GetMessageMap() const override { return ThisMessageMap(); }
    static const EventSinkMap* ThisEventSinkMap();
    const EventSinkMap* GetEventSinkMap() const override { return ThisEventSinkMap(); }

    std::string m_url;
    CWnd m_wndBrowser;
    IWebBrowser2* m_pBrowser = nullptr; // one reference
    CDocHostUIHandler* m_pUIHandler;    // one reference
    std::string m_launchParams;
    IDispatch* m_pBrowserDispatch = nullptr; // one reference
    std::string m_firstDocUrl;
    // The documents this host trusts, and the current top-level document.
    CTrustedOrigins m_trust;
    bool m_hasDocument = false;
    std::string m_documentUrl;

    // Set by the first top-level navigation to an address containing
    // "web\main", in any host; never cleared.
    static bool s_launchArmed;

protected:
    void PostNcDestroy() override;

private:
    void OnSize(UINT type, int cx, int cy);
    LRESULT OnTimer(WPARAM id, LPARAM);
    // Whether the failure of `url` with `status` shows the offline page.
    bool ShowOfflinePage(const std::string& url, long status);

    void OnEventBeforeNavigate2(IDispatch* frame, VARIANT* url, VARIANT* flags,
                                VARIANT* targetFrame, VARIANT* postData, VARIANT* headers,
                                VARIANT_BOOL* cancel);
    void OnEventDocumentComplete(IDispatch* frame, VARIANT* url);
    void OnEventDownloadBegin();
    void OnEventProgressChange(long progress, long progressMax);
    void OnEventDownloadComplete();
    void OnEventNavigateComplete2(IDispatch* frame, VARIANT* url);
    void OnEventStatusTextChange(const char* text);
    void OnEventTitleChange(const char* text);
    void OnEventPrintTemplateInstantiation(IDispatch* ignored);
    void OnEventPrintTemplateTeardown(IDispatch* ignored);
    void OnEventNavigateError(IDispatch* frame, VARIANT* url, VARIANT* targetFrame, VARIANT* status,
                              VARIANT_BOOL* cancel);

    bool IsTopLevel(IDispatch* frame) const;
    void InstallUIHandler();
    void ReleaseBrowser();
    // Sends notification `code` with the record filled by `fill`.
    template <class Fill> void Notify(UINT code, Fill fill);
    void Notify(UINT code);

    void ApplyZoom();

    // The zoom asked for, in percent of the page's size at the system's DPI.
    int m_zoom = 100;
    // Where the page was made inside the host, at which DPI, and whether it
    // is still there (no resize has made it fill the host yet).
    RECT m_pageFirstPlace{};
    int m_pageFirstDpi = 96;
    bool m_pageAtFirstPlace = false;
    bool m_movingForDpi = false;

    // The reload this host started and whose own completion is still to come;
    // a top-level navigation means it will not come.
    bool m_reloadPending = false;
    std::string m_reloadUrl;

    std::string m_offlinePage;
    std::string m_offlineMore;
    // The offline page's address for the last failure, until it is shown.
    std::string m_offlineAddress;
    std::string m_failedUrl;
    // Failures in a row: the next pause before trying again grows with them.
    unsigned m_failures = 0;
};
