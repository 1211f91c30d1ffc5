#include "ConfigStore.h"

#include "Afx.h"
#include "TextConversion.h"

#include <msxml2.h>
#include <objbase.h>

namespace {

// The parser's class and interfaces (MSXML 3.0 DOM document).
constexpr CLSID kClsidDomDocument = {
    0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kIidXmlDomDocument = {
    0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
constexpr IID kIidXmlDomDocument2 = {
    0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

constexpr wchar_t kFileName[] = L"config.xml";

// A VARIANT cleared when it goes out of scope.
struct ScopedVariant {
    VARIANT value;
    ScopedVariant() { ::VariantInit(&value); }
    ~ScopedVariant() { ::VariantClear(&value); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
};

// A BSTR freed when it goes out of scope.
struct ScopedBstr {
    BSTR value = nullptr;
    ~ScopedBstr() { ::SysFreeString(value); }
    ScopedBstr() = default;
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;
};

template <class T> void ReleaseAndClear(T*& p) {
    if (p)
        p->Release();
    p = nullptr;
}

void SetBoolProperty(IXMLDOMDocument2* doc, const wchar_t* name, bool on) {
    ScopedVariant value;
    value.value.vt = VT_BOOL;
    value.value.boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
    BSTR propertyName = ::SysAllocString(name);
    doc->setProperty(propertyName, value.value);
    ::SysFreeString(propertyName);
}

void SetIntProperty(IXMLDOMDocument2* doc, const wchar_t* name, long number) {
    ScopedVariant value;
    value.value.vt = VT_I4;
    value.value.lVal = number;
    BSTR propertyName = ::SysAllocString(name);
    doc->setProperty(propertyName, value.value);
    ::SysFreeString(propertyName);
}

// Whether the document declares a DTD. A parser that ignores ProhibitDTD
// loads such a file; it is refused all the same, as where the setting holds.
bool HasDocumentType(IXMLDOMDocument* document) {
    IXMLDOMDocumentType* type = nullptr;
    const bool declared = SUCCEEDED(document->get_doctype(&type)) && type;
    ReleaseAndClear(type);
    return declared;
}

// Whether `narrow` holds all of `wide`: characters the code page lacks are
// replaced (by '?' or a look-alike) and do not come back.
bool ConvertedWhole(BSTR wide, const std::string& narrow) {
    const std::wstring original = wide ? std::wstring(wide, ::SysStringLen(wide)) : L"";
    return ToWide(narrow, CP_ACP) == original;
}

void NoteKey(ConfigLoadReport& report, const std::string& key, const std::string& value,
             BSTR wideKey, BSTR wideValue, bool repeated) {
    if (repeated)
        report.repeatedKeys.push_back(key);
    if (!ConvertedWhole(wideKey, key) || !ConvertedWhole(wideValue, value))
        report.lossyKeys.push_back(key);
}

} // namespace

CConfigStore& CConfigStore::Instance() {
    static CConfigStore* store = [] {
        auto* created = new CConfigStore();
        ::CoInitialize(nullptr);
        return created;
    }();
    return *store;
}

// The parser reads synchronously, and a hostile file cannot make it expand
// entities without bound, fetch external resources or nest without limit.
// None of this changes how an ordinary settings file reads.
void CConfigStore::PrepareParser(IXMLDOMDocument* document) {
    document->put_async(VARIANT_FALSE);
    document->put_resolveExternals(VARIANT_FALSE);
    document->put_validateOnParse(VARIANT_FALSE);
    IXMLDOMDocument2* doc2 = nullptr;
    if (SUCCEEDED(document->QueryInterface(kIidXmlDomDocument2, reinterpret_cast<void**>(&doc2)))) {
        SetBoolProperty(doc2, L"ProhibitDTD", true);
        SetIntProperty(doc2, L"MaxElementDepth", 256);
        doc2->Release();
    }
}

void CConfigStore::Load(ConfigLoadReport* report) {
    ConfigLoadReport unused;
    ConfigLoadReport& found = report ? *report : unused;
    found = ConfigLoadReport{};
    HRESULT hr = ::CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_INPROC_SERVER,
                                    kIidXmlDomDocument, reinterpret_cast<void**>(&m_pDoc));
    if (FAILED(hr) || !m_pDoc) {
        m_pDoc = nullptr;
        return;
    }
    PrepareParser(m_pDoc);
    ScopedVariant fileName;
    fileName.value.vt = VT_BSTR;
    fileName.value.bstrVal = ::SysAllocString(kFileName);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    hr = m_pDoc->load(fileName.value, &loaded);
    if (FAILED(hr) || loaded != VARIANT_TRUE) {
        if (::GetFileAttributesW(kFileName) == INVALID_FILE_ATTRIBUTES)
            found.outcome = ConfigLoadReport::Outcome::Missing;
        else if (report)
            ReportParseError(found);
    } else if (HasDocumentType(m_pDoc)) {
        found.outcome = ConfigLoadReport::Outcome::DocumentType;
    } else {
        found.outcome = ConfigLoadReport::Outcome::Read;
        ReadDocument(report);
    }
    ReleaseAndClear(m_pDoc);
}

void CConfigStore::ReportParseError(ConfigLoadReport& report) const {
    report.outcome = ConfigLoadReport::Outcome::Malformed;
    IXMLDOMParseError* error = nullptr;
    if (FAILED(m_pDoc->get_parseError(&error)) || !error)
        return;
    error->get_line(&report.line);
    error->get_linepos(&report.column);
    ScopedBstr reason;
    if (SUCCEEDED(error->get_reason(&reason.value)))
        report.reason = BstrToNarrow(reason.value, CP_ACP);
    error->Release();
}

void CConfigStore::ReadDocument(ConfigLoadReport* report) {
    IXMLDOMElement* root = nullptr;
    if (FAILED(m_pDoc->get_documentElement(&root)) || !root)
        return;
    IXMLDOMNode* node = nullptr;
    root->get_firstChild(&node);
    while (node) {
        ScopedBstr name;
        ScopedBstr text;
        node->get_nodeName(&name.value);
        node->get_text(&text.value);
        std::string key = BstrToNarrow(name.value, CP_ACP);
        std::string value = BstrToNarrow(text.value, CP_ACP);
        if (report)
            NoteKey(*report, key, value, name.value, text.value, m_values.count(key) != 0);
        m_values[std::move(key)] = std::move(value);
        IXMLDOMNode* next = nullptr;
        node->get_nextSibling(&next);
        node->Release();
        node = next;
    }
    root->Release();
}

std::string CConfigStore::GetValue(const std::string& key) const {
    if (m_recordKeysRead)
        m_keysRead.insert(key);
    auto it = m_values.find(key);
    return it == m_values.end() ? std::string() : it->second;
}

std::vector<std::string> CConfigStore::Keys() const {
    std::vector<std::string> keys;
    for (const auto& [key, value] : m_values)
        keys.push_back(key);
    return keys;
}

std::string CConfigStore::GetLoginBgPath() const {
    if (!m_skinFolder.empty())
        return m_skinFolder + "\\data\\" + GetValue("login_bg");
    const std::string full = AfxGetModuleFileName();
    size_t slash = MbcsFindLast(full, '\\');
    if (slash == std::string::npos)
        return {};
    return full.substr(0, slash) + "\\data\\" + GetValue("login_bg");
}
