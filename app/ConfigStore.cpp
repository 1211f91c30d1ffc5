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

void CConfigStore::Load() {
    HRESULT hr = ::CoCreateInstance(kClsidDomDocument, nullptr, CLSCTX_INPROC_SERVER,
                                    kIidXmlDomDocument, reinterpret_cast<void**>(&m_pDoc));
    if (FAILED(hr) || !m_pDoc) {
        m_pDoc = nullptr;
        return;
    }
    PrepareParser(m_pDoc);
    ScopedVariant fileName;
    fileName.value.vt = VT_BSTR;
    fileName.value.bstrVal = ::SysAllocString(L"config.xml");
    VARIANT_BOOL loaded = VARIANT_FALSE;
    hr = m_pDoc->load(fileName.value, &loaded);
    if (SUCCEEDED(hr) && loaded == VARIANT_TRUE && !HasDocumentType(m_pDoc))
        ReadDocument();
    ReleaseAndClear(m_pDoc);
}

void CConfigStore::ReadDocument() {
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
        m_values[BstrToNarrow(name.value, CP_ACP)] = BstrToNarrow(text.value, CP_ACP);
        IXMLDOMNode* next = nullptr;
        node->get_nextSibling(&next);
        node->Release();
        node = next;
    }
    root->Release();
}

std::string CConfigStore::GetValue(const std::string& key) const {
    m_keysRead.insert(key);
    auto it = m_values.find(key);
    return it == m_values.end() ? std::string() : it->second;
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
