#include "SimpleBrowser.h"

#include "HandOverAddress.h"
#include "NavigationAddress.h"
#include "OfflinePage.h"
#include "ScriptCommands.h"
#include "TextConversion.h"

#include <exdispid.h>
#include <mshtmhst.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace {

constexpr UINT kLoginPlaceholder = 1001;
constexpr UINT kGamePlaceholder = 1012;
// Timers of the offline page: showing it (after the failure's event has
// returned) and trying the failed address again.
constexpr UINT_PTR kShowOfflineTimer = 1, kRetryTimer = 2;
constexpr DWORD kHostStyle = WS_VISIBLE | 0x4000;
constexpr UINT kHostClassStyle = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
constexpr char kGameProgram[] = "\\zuv3a\\webgame\\zazorerudo.exe";
// ICustomDoc, which the import libraries do not define.
constexpr IID kCustomDocIid = {
    0x3050F3F0, 0x98B5, 0x11CF, {0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B}};

// A copy of the request body of a navigation.
struct RequestBody {
    std::unique_ptr<BYTE[]> bytes;
    DWORD size = 0;
};

ULONGLONG ArrayBytes(SAFEARRAY* array) {
    ULONGLONG elements = 1;
    for (USHORT d = 0; d < array->cDims; ++d)
        elements *= array->rgsabound[d].cElements;
    return elements * array->cbElements;
}

// PostData refers (VT_BYREF | VT_VARIANT) to a VARIANT that holds the body as
// an array; anything else means no body. The count comes from the bounds of
// the first dimension and never exceeds what the array holds.
RequestBody CopyRequestBody(const VARIANT* postData) {
    RequestBody body;
    if (!postData || postData->vt != (VT_BYREF | VT_VARIANT) || !postData->pvarVal)
        return body;
    const VARIANT& held = *postData->pvarVal;
    if (held.vt == VT_EMPTY || !(held.vt & VT_ARRAY) || (held.vt & VT_BYREF) || !held.parray)
        return body;
    SAFEARRAY* array = held.parray;
    void* data = nullptr;
    if (FAILED(::SafeArrayAccessData(array, &data)))
        return body;
    LONG lower = 1;
    LONG upper = 1;
    if (FAILED(::SafeArrayGetLBound(array, 1, &lower)))
        lower = 1;
    if (FAILED(::SafeArrayGetUBound(array, 1, &upper)))
        upper = 1;
    LONGLONG count = static_cast<LONGLONG>(upper) - lower + 1;
    ULONGLONG available = ArrayBytes(array);
    if (count < 0)
        count = 0;
    if (static_cast<ULONGLONG>(count) > available)
        count = static_cast<LONGLONG>(available);
    if (count <= static_cast<LONGLONG>(MAXDWORD)) {
        body.bytes.reset(new (std::nothrow) BYTE[static_cast<size_t>(count)]);
        if (body.bytes) {
            if (count > 0)
                std::memcpy(body.bytes.get(), data, static_cast<size_t>(count));
            body.size = static_cast<DWORD>(count);
        }
    }
    ::SafeArrayUnaccessData(array);
    return body;
}

// The game program is a 32-bit program, installed where a 32-bit process's
// Program Files folder is: "Program Files (x86)" on 64-bit Windows, the one
// Program Files folder elsewhere. A 64-bit client looks there first, then in
// the 64-bit Program Files; where neither holds it, the first is started
// all the same, as a 32-bit client would.
std::string GameProgramPath() {
    std::string first;
    for (int folder : {CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES}) {
        char programFiles[MAX_PATH] = {};
        if (!::SHGetSpecialFolderPathA(nullptr, programFiles, folder, FALSE))
            continue;
        std::string program = std::string(programFiles) + kGameProgram;
        if (::GetFileAttributesA(program.c_str()) != INVALID_FILE_ATTRIBUTES)
            return program;
        if (first.empty())
            first = program;
    }
    return first.empty() ? std::string(kGameProgram) : first;
}

void StartGameProgram(const std::string& parameters) {
    std::string program = GameProgramPath();
    ::ShellExecuteA(nullptr, "open", program.c_str(), parameters.c_str(), nullptr, SW_SHOW);
}

} // namespace

bool SimpleBrowser::s_launchArmed = false;

SimpleBrowser::SimpleBrowser() : m_pUIHandler(new (std::nothrow) CDocHostUIHandler) {
    if (m_pUIHandler)
        m_pUIHandler->AddRef();
}

SimpleBrowser::~SimpleBrowser() {
    // Documents may outlive the host; their script calls must then find no host.
    if (m_pUIHandler && m_pUIHandler->m_pExternal && m_pUIHandler->m_pExternal->m_context == this)
        m_pUIHandler->m_pExternal->m_context = nullptr;
    // The control and its events go while this object is still whole.
    if (m_hWnd)
        DestroyWindow();
    ReleaseBrowser();
    if (m_pUIHandler) {
        m_pUIHandler->Release();
        m_pUIHandler = nullptr;
    }
}

void SimpleBrowser::ReleaseBrowser() {
    if (m_pBrowser) {
        m_pBrowser->Release();
        m_pBrowser = nullptr;
    }
    if (m_pBrowserDispatch) {
        m_pBrowserDispatch->Release();
        m_pBrowserDispatch = nullptr;
    }
}

BOOL SimpleBrowser::CreateBrowser(const char* url, int x, int y, int width, int height,
                                  CWnd* parent, UINT placeholderId, int dpi) {
    m_url = url ? url : "";
    CWnd* placeholder = parent ? parent->GetDlgItem(static_cast<int>(placeholderId)) : nullptr;
    if (!placeholder)
        return FALSE;
    RECT rect{x, y, x + width, y + height};
    if (placeholderId == kLoginPlaceholder)
        parent->ScreenToClient(&rect);
    placeholder->DestroyWindow();

    ReleaseBrowser();
    const char* hostClass = AfxRegisterWndClass(kHostClassStyle);
    if (!hostClass || !Create(hostClass, "dd", kHostStyle, rect, parent, placeholderId))
        return FALSE;

    RECT inner{10, 20, 600, 600};
    if (placeholderId == kGamePlaceholder) {
        parent->GetClientRect(&inner);
    } else if (placeholderId == kLoginPlaceholder) {
        parent->ModifyStyle(WS_CAPTION, 0, 0);
        RECT w{};
        parent->GetWindowRect(&w);
        // Fixed lengths, in pixels at 96 DPI.
        auto scaled = [dpi](int length) { return ::MulDiv(length, dpi, 96); };
        inner = RECT{w.left + scaled(20), w.top + scaled(20), (w.right - w.left) - scaled(50),
                     (w.bottom - w.top) - scaled(200)};
    }
    m_pageFirstPlace = inner;
    m_pageFirstDpi = dpi;
    m_pageAtFirstPlace = true;
    if (!m_wndBrowser.CreateControl(CLSID_WebBrowser, "dd", kHostStyle, inner, this,
                                    AFX_IDW_PANE_FIRST)) {
        DestroyWindow();
        return FALSE;
    }
    IUnknown* control = m_wndBrowser.GetControlUnknown();
    if (FAILED(control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&m_pBrowser))) ||
        FAILED(control->QueryInterface(IID_IDispatch,
                                       reinterpret_cast<void**>(&m_pBrowserDispatch)))) {
        m_wndBrowser.DestroyWindow();
        DestroyWindow();
        ReleaseBrowser();
        return FALSE;
    }
    Navigate(m_url.c_str());
    return TRUE;
}

void SimpleBrowser::Navigate(const char* url) {
    if (!m_pBrowser)
        return;
    std::wstring wide = ToWide(url ? url : "", CP_THREAD_ACP);
    BSTR address = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    VARIANT flags, targetFrame, postData, headers;
    ::VariantInit(&flags);
    flags.vt = VT_I4;
    flags.lVal = 0;
    for (VARIANT* empty : {&targetFrame, &postData, &headers}) {
        ::VariantInit(empty);
        empty->vt = VT_BSTR;
        empty->bstrVal = ::SysAllocString(L"");
    }
    if (address)
        m_pBrowser->Navigate(address, &flags, &targetFrame, &postData, &headers);
    ::SysFreeString(address);
    for (VARIANT* v : {&flags, &targetFrame, &postData, &headers})
        ::VariantClear(v);
}

void SimpleBrowser::Refresh() {
    if (m_pBrowser)
        m_pBrowser->Refresh();
}

void SimpleBrowser::TrustAddress(const char* url) {
    m_trust.TrustAddress(url ? url : "");
}

bool SimpleBrowser::IsDocumentTrusted() const {
    return m_hasDocument && m_trust.Trusts(m_documentUrl);
}

void SimpleBrowser::SetZoom(int percent) {
    if (percent == m_zoom)
        return;
    m_zoom = percent;
    ApplyZoom();
}

void SimpleBrowser::ApplyZoom() {
    if (!m_pBrowser)
        return;
    VARIANT zoom;
    ::VariantInit(&zoom);
    zoom.vt = VT_I4;
    zoom.lVal = m_zoom;
    // Not every engine zooms; the page then keeps its size.
    m_pBrowser->ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &zoom, nullptr);
}

const MessageMap* SimpleBrowser::ThisMessageMap() {
    static const MessageMapEntry entries[] = {
        OnMessage<WM_SIZE, &SimpleBrowser::OnSize>(),
        OnMessage<WM_TIMER, &SimpleBrowser::OnTimer>(),
    };
    static const MessageMap map{CWnd::ThisMessageMap(), entries};
    return &map;
}

const EventSinkMap* SimpleBrowser::ThisEventSinkMap() {
    constexpr UINT id = AFX_IDW_PANE_FIRST;
    static const EventSinkEntry entries[] = {
        OnEvent<id, DISPID_BEFORENAVIGATE2, &SimpleBrowser::OnEventBeforeNavigate2>(),
        OnEvent<id, DISPID_DOCUMENTCOMPLETE, &SimpleBrowser::OnEventDocumentComplete>(),
        OnEvent<id, DISPID_DOWNLOADBEGIN, &SimpleBrowser::OnEventDownloadBegin>(),
        OnEvent<id, DISPID_PROGRESSCHANGE, &SimpleBrowser::OnEventProgressChange>(),
        OnEvent<id, DISPID_DOWNLOADCOMPLETE, &SimpleBrowser::OnEventDownloadComplete>(),
        OnEvent<id, DISPID_NAVIGATECOMPLETE2, &SimpleBrowser::OnEventNavigateComplete2>(),
        OnEvent<id, DISPID_STATUSTEXTCHANGE, &SimpleBrowser::OnEventStatusTextChange>(),
        OnEvent<id, DISPID_TITLECHANGE, &SimpleBrowser::OnEventTitleChange>(),
        OnEvent<id, DISPID_PRINTTEMPLATEINSTANTIATION,
                &SimpleBrowser::OnEventPrintTemplateInstantiation>(),
        OnEvent<id, DISPID_PRINTTEMPLATETEARDOWN, &SimpleBrowser::OnEventPrintTemplateTeardown>(),
        OnEvent<id, DISPID_NAVIGATEERROR, &SimpleBrowser::OnEventNavigateError>(),
    };
    static const EventSinkMap map{CWnd::ThisEventSinkMap(), entries};
    return &map;
}

void SimpleBrowser::MoveForDpi(const RECT& place, int dpi) {
    m_movingForDpi = true;
    MoveWindow(place, TRUE);
    m_movingForDpi = false;
    if (!m_pBrowser || !m_pageAtFirstPlace)
        return;
    const RECT& first = m_pageFirstPlace;
    const int firstDpi = m_pageFirstDpi;
    m_wndBrowser.MoveWindow(
        RECT{::MulDiv(first.left, dpi, firstDpi), ::MulDiv(first.top, dpi, firstDpi),
             ::MulDiv(first.right, dpi, firstDpi), ::MulDiv(first.bottom, dpi, firstDpi)},
        TRUE);
}

void SimpleBrowser::OnSize(UINT, int cx, int cy) {
    Default();
    if (!m_pBrowser || (m_movingForDpi && m_pageAtFirstPlace))
        return;
    m_pageAtFirstPlace = false;
    m_wndBrowser.MoveWindow(0, 0, cx, cy, TRUE);
}

BOOL SimpleBrowser::PreTranslateMessage(MSG* msg) {
    if (m_pBrowser)
        return FALSE;
    return CWnd::PreTranslateMessage(msg);
}

void SimpleBrowser::PostNcDestroy() {
    ReleaseBrowser();
    CWnd::PostNcDestroy();
}

bool SimpleBrowser::IsTopLevel(IDispatch* frame) const {
    if (!frame || !m_pBrowserDispatch)
        return false;
    if (frame == m_pBrowserDispatch)
        return true;
    // The same object reached through another interface pointer.
    IUnknown* a = nullptr;
    IUnknown* b = nullptr;
    bool same =
        SUCCEEDED(frame->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a))) &&
        SUCCEEDED(m_pBrowserDispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b))) &&
        a == b;
    if (a)
        a->Release();
    if (b)
        b->Release();
    return same;
}

void SimpleBrowser::OnEventBeforeNavigate2(IDispatch* frame, VARIANT* url, VARIANT*,
                                           VARIANT* targetFrame, VARIANT* postData,
                                           VARIANT* headers, VARIANT_BOOL* cancel) {
    if (!IsTopLevel(frame))
        return;
    RequestBody body = CopyRequestBody(postData);
    bool cancelled = OnBeforeNavigate2(NavigationText(url), NavigationText(targetFrame),
                                       body.bytes.get(), body.size, NavigationText(headers));
    if (cancel)
        *cancel = cancelled ? VARIANT_TRUE : VARIANT_FALSE;
}

void SimpleBrowser::OnEventDocumentComplete(IDispatch* frame, VARIANT* url) {
    if (!IsTopLevel(frame))
        return;
    const std::string address = NavigationText(url);
    // A page that is not the offline page came: the server is back.
    if (!m_offlinePage.empty() && !address.starts_with(m_offlinePage)) {
        m_failures = 0;
        ::KillTimer(m_hWnd, kRetryTimer);
    }
    // At 100 % the engine's own zoom is the one asked for.
    if (m_zoom != 100)
        ApplyZoom();
    // The final address, after any redirect, decides the document's trust.
    m_hasDocument = true;
    m_documentUrl = address;
    OnDocumentComplete(address);
}

void SimpleBrowser::OnEventDownloadBegin() {
    OnDownloadBegin();
}

void SimpleBrowser::OnEventProgressChange(long progress, long progressMax) {
    OnProgressChange(progress, progressMax);
}

void SimpleBrowser::OnEventDownloadComplete() {
    OnDownloadComplete();
}

void SimpleBrowser::OnEventNavigateComplete2(IDispatch* frame, VARIANT* url) {
    if (!IsTopLevel(frame))
        return;
    // A reload completes without a navigation, so the document this one
    // brings is a new visit, not the reload's own, whatever its address.
    m_reloadPending = false;
    std::string address = NavigationText(url);
    m_hasDocument = true;
    m_documentUrl = address;
    InstallUIHandler();
    RegisterScriptCommands(this);
    OnNavigateComplete2(std::move(address));
}

void SimpleBrowser::OnEventStatusTextChange(const char* text) {
    OnStatusTextChange(text ? text : "");
}

void SimpleBrowser::OnEventTitleChange(const char* text) {
    OnTitleChange(text ? text : "");
}

void SimpleBrowser::OnEventPrintTemplateInstantiation(IDispatch*) {
    OnPrintTemplateInstantiation();
}

void SimpleBrowser::OnEventPrintTemplateTeardown(IDispatch*) {
    OnPrintTemplateTeardown();
}

void SimpleBrowser::OnEventNavigateError(IDispatch* frame, VARIANT* url, VARIANT*, VARIANT* status,
                                         VARIANT_BOOL* cancel) {
    if (!IsTopLevel(frame))
        return;
    VARIANT code;
    ::VariantInit(&code);
    const bool number = status && SUCCEEDED(::VariantChangeType(&code, status, 0, VT_I4));
    const std::string address = NavigationText(url);
    if (number && ShowOfflinePage(address, code.lVal) && cancel)
        *cancel = VARIANT_TRUE;
    OnNavigateError(address, number ? code.lVal : 0);
}

void SimpleBrowser::SetOfflinePage(std::string page, std::string more) {
    // The client's own page: it may call the commands, whatever it was told.
    m_trust.TrustPage(page);
    m_offlinePage = std::move(page);
    m_offlineMore = std::move(more);
}

bool SimpleBrowser::ShowOfflinePage(const std::string& url, long status) {
    if (m_offlinePage.empty() || !m_hWnd || !MeansServerUnreachable(status) ||
        url.starts_with(m_offlinePage))
        return false;
    m_failedUrl = url;
    m_offlineAddress =
        OfflinePageAddress(m_offlinePage, ToNarrow(ToWide(url), CP_UTF8), status, m_offlineMore);
    // Navigating from inside the failure's own event is left to the browser's
    // mercy; a moment later it is an ordinary navigation.
    ::SetTimer(m_hWnd, kShowOfflineTimer, 0, nullptr);
    ::SetTimer(m_hWnd, kRetryTimer, RetryDelaySeconds(m_failures++) * 1000, nullptr);
    return true;
}

LRESULT SimpleBrowser::OnTimer(WPARAM id, LPARAM) {
    if (id != kShowOfflineTimer && id != kRetryTimer)
        return Default();
    ::KillTimer(m_hWnd, id);
    Navigate(id == kShowOfflineTimer ? m_offlineAddress.c_str() : m_failedUrl.c_str());
    return 0;
}

void SimpleBrowser::InstallUIHandler() {
    if (!m_pBrowser)
        return;
    IDispatch* document = nullptr;
    if (FAILED(m_pBrowser->get_Document(&document)) || !document)
        return;
    ICustomDoc* custom = nullptr;
    if (SUCCEEDED(document->QueryInterface(kCustomDocIid, reinterpret_cast<void**>(&custom))) &&
        custom) {
        custom->SetUIHandler(m_pUIHandler);
        custom->Release();
    }
    document->Release();
}

bool SimpleBrowser::OnBeforeNavigate2(std::string url, std::string, void*, DWORD, std::string) {
    if (!CWnd::FromHandle(::GetParent(m_hWnd)))
        return false;
    // Only the operator's pages, or the client's own first navigation, may
    // arm or start the hand-over: another site could otherwise choose the
    // parameters the game program is started with.
    if (m_hasDocument && !IsDocumentTrusted())
        return false;
    if (ArmsHandOver(url, &IsAnsiLeadByte))
        s_launchArmed = true;
    if (!s_launchArmed)
        return false;
    std::optional<std::string> parameters = HandOverParameters(url, &IsAnsiLeadByte);
    if (!parameters)
        return false;
    m_launchParams = *parameters;
    StartGameProgram(m_launchParams);
    // The game now belongs to the external program; the client ends at once.
    std::exit(1);
}

void SimpleBrowser::OnNavigateError(std::string url, LONG status) {
    Notify(NavigateError, [&](Notification& n) {
        n.url = std::move(url);
        n.progress = status;
    });
}

template <class Fill> void SimpleBrowser::Notify(UINT code, Fill fill) {
    HWND parent = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
    if (!parent || !CWnd::FromHandle(parent))
        return;
    Notification record{};
    record.hdr.hwndFrom = m_hWnd;
    record.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    record.hdr.code = code;
    fill(record);
    ::SendMessageA(parent, WM_NOTIFY, static_cast<WPARAM>(GetDlgCtrlID()),
                   reinterpret_cast<LPARAM>(&record));
}

void SimpleBrowser::Notify(UINT code) {
    Notify(code, [](Notification&) {});
}

void SimpleBrowser::OnDocumentComplete(std::string url) {
    Notify(DocumentComplete, [&](Notification& n) { n.url = url; });
    if (m_firstDocUrl.empty()) {
        m_firstDocUrl = url;
        return;
    }
    // An engine that reports our own reload as a completed document must not
    // make us reload it again: each document is reloaded at most once. A
    // top-level navigation in between ends the wait (OnEventNavigateComplete2).
    if (m_reloadPending && url == m_reloadUrl) {
        m_reloadPending = false;
        return;
    }
    if (!m_pBrowser)
        return;
    m_reloadPending = true;
    m_reloadUrl = url;
    m_pBrowser->Refresh();
}

void SimpleBrowser::OnDownloadBegin() {
    Notify(DownloadBegin);
}

void SimpleBrowser::OnProgressChange(LONG progress, LONG progressMax) {
    Notify(ProgressChange, [&](Notification& n) {
        n.progress = progress;
        n.progress_max = progressMax;
    });
}

void SimpleBrowser::OnDownloadComplete() {
    Notify(DownloadComplete);
}

void SimpleBrowser::OnNavigateComplete2(std::string url) {
    Notify(NavigateComplete2, [&](Notification& n) { n.url = url; });
}

void SimpleBrowser::OnStatusTextChange(std::string text) {
    Notify(StatusTextChange, [&](Notification& n) { n.text = text; });
}

void SimpleBrowser::OnTitleChange(std::string text) {
    Notify(TitleChange, [&](Notification& n) { n.text = text; });
}

void SimpleBrowser::OnPrintTemplateInstantiation() {
    Notify(PrintTemplateInstantiation);
}

void SimpleBrowser::OnPrintTemplateTeardown() {
    Notify(PrintTemplateTeardown);
}
