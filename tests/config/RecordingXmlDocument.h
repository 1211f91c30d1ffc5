#pragma once
// A stand-in for the platform's XML DOM document that records the settings
// made on it, for those Wine's parser accepts without keeping (ProhibitDTD)
// or refuses (MaxElementDepth), so that they cannot be read back from it.
// It lives on the test's stack; its reference count only counts.

#include "StackDispatch.h"

#include <msxml2.h>

#include <map>
#include <string>

class CRecordingXmlDocument final : public CStackDispatch<IXMLDOMDocument2> {
public:
    // Each setting by name (async, resolveExternals, validateOnParse, or a
    // property's name) with its last value as text: "true", "false" or a number.
    std::map<std::wstring, std::wstring> m_settings;

    // Every interface asked for is this one: the store asks only for
    // IXMLDOMDocument2, which includes the rest.
    STDMETHODIMP QueryInterface(REFIID, void** ppv) override {
        *ppv = static_cast<IXMLDOMDocument2*>(this);
        AddRef();
        return S_OK;
    }

    // What the store sets.
    STDMETHODIMP put_async(VARIANT_BOOL on) override { return Record(L"async", on); }
    STDMETHODIMP put_validateOnParse(VARIANT_BOOL on) override {
        return Record(L"validateOnParse", on);
    }
    STDMETHODIMP put_resolveExternals(VARIANT_BOOL on) override {
        return Record(L"resolveExternals", on);
    }
    STDMETHODIMP setProperty(BSTR name, VARIANT value) override {
        if (value.vt == VT_BOOL)
            return Record(name, value.boolVal);
        m_settings[name] = value.vt == VT_I4 ? std::to_wstring(value.lVal) : L"?";
        return S_OK;
    }

    // The rest is not used.
    STDMETHODIMP get_nodeName(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_nodeValue(VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP put_nodeValue(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_nodeType(DOMNodeType*) override { return E_NOTIMPL; }
    STDMETHODIMP get_parentNode(IXMLDOMNode**) override { return E_NOTIMPL; }
    STDMETHODIMP get_childNodes(IXMLDOMNodeList**) override { return E_NOTIMPL; }
    STDMETHODIMP get_firstChild(IXMLDOMNode**) override { return E_NOTIMPL; }
    STDMETHODIMP get_lastChild(IXMLDOMNode**) override { return E_NOTIMPL; }
    STDMETHODIMP get_previousSibling(IXMLDOMNode**) override { return E_NOTIMPL; }
    STDMETHODIMP get_nextSibling(IXMLDOMNode**) override { return E_NOTIMPL; }
    STDMETHODIMP get_attributes(IXMLDOMNamedNodeMap**) override { return E_NOTIMPL; }
    STDMETHODIMP insertBefore(IXMLDOMNode*, VARIANT, IXMLDOMNode**) override { return E_NOTIMPL; }
    STDMETHODIMP replaceChild(IXMLDOMNode*, IXMLDOMNode*, IXMLDOMNode**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP removeChild(IXMLDOMNode*, IXMLDOMNode**) override { return E_NOTIMPL; }
    STDMETHODIMP appendChild(IXMLDOMNode*, IXMLDOMNode**) override { return E_NOTIMPL; }
    STDMETHODIMP hasChildNodes(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP get_ownerDocument(IXMLDOMDocument**) override { return E_NOTIMPL; }
    STDMETHODIMP cloneNode(VARIANT_BOOL, IXMLDOMNode**) override { return E_NOTIMPL; }
    STDMETHODIMP get_nodeTypeString(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_text(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP put_text(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_specified(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP get_definition(IXMLDOMNode**) override { return E_NOTIMPL; }
    STDMETHODIMP get_nodeTypedValue(VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP put_nodeTypedValue(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_dataType(VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP put_dataType(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_xml(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP transformNode(IXMLDOMNode*, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP selectNodes(BSTR, IXMLDOMNodeList**) override { return E_NOTIMPL; }
    STDMETHODIMP selectSingleNode(BSTR, IXMLDOMNode**) override { return E_NOTIMPL; }
    STDMETHODIMP get_parsed(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP get_namespaceURI(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_prefix(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_baseName(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP transformNodeToObject(IXMLDOMNode*, VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_doctype(IXMLDOMDocumentType**) override { return E_NOTIMPL; }
    STDMETHODIMP get_implementation(IXMLDOMImplementation**) override { return E_NOTIMPL; }
    STDMETHODIMP get_documentElement(IXMLDOMElement**) override { return E_NOTIMPL; }
    STDMETHODIMP putref_documentElement(IXMLDOMElement*) override { return E_NOTIMPL; }
    STDMETHODIMP createElement(BSTR, IXMLDOMElement**) override { return E_NOTIMPL; }
    STDMETHODIMP createDocumentFragment(IXMLDOMDocumentFragment**) override { return E_NOTIMPL; }
    STDMETHODIMP createTextNode(BSTR, IXMLDOMText**) override { return E_NOTIMPL; }
    STDMETHODIMP createComment(BSTR, IXMLDOMComment**) override { return E_NOTIMPL; }
    STDMETHODIMP createCDATASection(BSTR, IXMLDOMCDATASection**) override { return E_NOTIMPL; }
    STDMETHODIMP createProcessingInstruction(BSTR, BSTR, IXMLDOMProcessingInstruction**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP createAttribute(BSTR, IXMLDOMAttribute**) override { return E_NOTIMPL; }
    STDMETHODIMP createEntityReference(BSTR, IXMLDOMEntityReference**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP getElementsByTagName(BSTR, IXMLDOMNodeList**) override { return E_NOTIMPL; }
    STDMETHODIMP createNode(VARIANT, BSTR, BSTR, IXMLDOMNode**) override { return E_NOTIMPL; }
    STDMETHODIMP nodeFromID(BSTR, IXMLDOMNode**) override { return E_NOTIMPL; }
    STDMETHODIMP load(VARIANT, VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP get_readyState(__LONG32*) override { return E_NOTIMPL; }
    STDMETHODIMP get_parseError(IXMLDOMParseError**) override { return E_NOTIMPL; }
    STDMETHODIMP get_url(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_async(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP abort() override { return E_NOTIMPL; }
    STDMETHODIMP loadXML(BSTR, VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP save(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_validateOnParse(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP get_resolveExternals(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP get_preserveWhiteSpace(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_preserveWhiteSpace(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP put_onreadystatechange(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP put_ondataavailable(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP put_ontransformnode(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP get_namespaces(IXMLDOMSchemaCollection**) override { return E_NOTIMPL; }
    STDMETHODIMP get_schemas(VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP putref_schemas(VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP validate(IXMLDOMParseError**) override { return E_NOTIMPL; }
    STDMETHODIMP getProperty(BSTR, VARIANT*) override { return E_NOTIMPL; }

private:
    HRESULT Record(const wchar_t* name, VARIANT_BOOL on) {
        m_settings[name] = on == VARIANT_FALSE ? L"false" : L"true";
        return S_OK;
    }
};
