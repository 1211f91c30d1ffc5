#include "BrowserTestParent.h"

std::vector<UINT> CBrowserTestParent::Codes() const {
    std::vector<UINT> codes;
    for (const ReceivedNotification& n : m_notifications)
        codes.push_back(n.code);
    return codes;
}

void CBrowserTestParent::OnBrowserNotify(NMHDR* header, LRESULT* result) {
    const auto* record = reinterpret_cast<const SimpleBrowser::Notification*>(header);
    ReceivedNotification n;
    n.code = header->code;
    n.idFrom = header->idFrom;
    n.hwndFrom = header->hwndFrom;
    n.wParam = GetCurrentMessage()->wParam;
    n.url = record->url;
    n.frame = record->frame;
    n.post_data = record->post_data;
    n.post_data_size = record->post_data_size;
    n.headers = record->headers;
    n.progress = record->progress;
    n.progress_max = record->progress_max;
    n.text = record->text;
    m_notifications.push_back(n);
    if (m_onNotify)
        m_onNotify(n);
    *result = 0;
}

const MessageMap* CBrowserTestParent::ThisMessageMap() {
    constexpr UINT any = 0xFFFF;
    using P = CBrowserTestParent;
    static const MessageMapEntry entries[] = {
        OnNotify<SimpleBrowser::DocumentComplete, 0, &P::OnBrowserNotify, any>(),
        OnNotify<SimpleBrowser::DownloadBegin, 0, &P::OnBrowserNotify, any>(),
        OnNotify<SimpleBrowser::ProgressChange, 0, &P::OnBrowserNotify, any>(),
        OnNotify<SimpleBrowser::DownloadComplete, 0, &P::OnBrowserNotify, any>(),
        OnNotify<SimpleBrowser::NavigateComplete2, 0, &P::OnBrowserNotify, any>(),
        OnNotify<SimpleBrowser::StatusTextChange, 0, &P::OnBrowserNotify, any>(),
        OnNotify<SimpleBrowser::TitleChange, 0, &P::OnBrowserNotify, any>(),
        OnNotify<SimpleBrowser::PrintTemplateInstantiation, 0, &P::OnBrowserNotify, any>(),
        OnNotify<SimpleBrowser::PrintTemplateTeardown, 0, &P::OnBrowserNotify, any>(),
    };
    static const MessageMap map{CDialog::ThisMessageMap(), entries};
    return &map;
}

bool CRecordingBrowser::OnBeforeNavigate2(std::string url, std::string frame, void* postData,
                                          DWORD size, std::string headers) {
    Navigation n;
    n.url = url;
    n.frame = frame;
    n.hasBody = postData != nullptr;
    if (postData)
        n.body.assign(static_cast<const char*>(postData), size);
    n.size = size;
    n.headers = headers;
    m_navigations.push_back(n);
    return m_cancel;
}

RECT RectIn(HWND child, HWND parent) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ShowTrustedDocument(SimpleBrowser& host) {
    host.TrustAddress("about:blank");
    host.m_hasDocument = true;
    host.m_documentUrl = "about:blank";
}
