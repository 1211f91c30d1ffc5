#pragma once
// Browser events delivered through a host's event sink exactly as the control
// fires them: the same DISPIDs and the same argument layout.

#include <oaidl.h>

#include <string>

class SimpleBrowser;

// Fires `dispid` with `args` (last argument first, as automation lays them out).
HRESULT FireEvent(SimpleBrowser& host, DISPID dispid, VARIANT* args, UINT count);
// DocumentComplete or NavigateComplete2 of `frame`.
HRESULT FireFrameEvent(SimpleBrowser& host, DISPID dispid, IDispatch* frame,
                       const std::wstring& url);
// An event with one string argument (null: a null string).
HRESULT FireTextEvent(SimpleBrowser& host, DISPID dispid, const wchar_t* text);

// NavigateError of `frame` with `status`; the Cancel the host left.
VARIANT_BOOL FireNavigateError(SimpleBrowser& host, IDispatch* frame, const std::wstring& url,
                               long status);

// BeforeNavigate2 as the control fires it; the body and Cancel can be set and read.
class CBeforeNavigate2 {
public:
    CBeforeNavigate2(IDispatch* frame, const std::wstring& url);
    ~CBeforeNavigate2();
    CBeforeNavigate2(const CBeforeNavigate2&) = delete;
    CBeforeNavigate2& operator=(const CBeforeNavigate2&) = delete;

    // The request body: a VARIANT holding an array (taken over), or VT_EMPTY.
    void SetBody(const VARIANT& body);
    // PostData itself, for layouts other than the control's.
    VARIANT& PostData() { return m_postData; }
    void SetHeaders(const std::wstring& headers);
    void SetTarget(const std::wstring& target);
    HRESULT Fire(SimpleBrowser& host);

    VARIANT_BOOL m_cancel = 0x1234; // untouched unless written

private:
    IDispatch* m_frame;
    VARIANT m_url;
    VARIANT m_flags;
    VARIANT m_target;
    VARIANT m_body;
    VARIANT m_postData;
    VARIANT m_headers;
};

// A byte array VARIANT (VT_ARRAY | VT_UI1) holding `bytes`.
VARIANT ByteArray(const std::string& bytes);
