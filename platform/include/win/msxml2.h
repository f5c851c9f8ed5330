// The platform's XML DOM as the driver's modules use it for PrintTicket and PrintCapabilities
// documents: a document made with CoCreateInstance(CLSID_DOMDocument60), its nodes, node lists,
// attribute maps and parse error. The interfaces carry only the members the modules call, in the
// platform's relative order; names, answers and conventions are the platform's:
// - a node property that has no value (no document element, no last child, no attribute of that
//   name, no attribute map on a non-element node) answers S_FALSE with a null out pointer;
// - every interface or text handed out belongs to the caller (Release, SysFreeString);
// - whitespace-only text between elements is dropped when a document loads, so an element's
//   children are the elements, texts and comments written in it;
// - namespace declarations ("xmlns:psf") are attributes of their element: they come first in the
//   element's attribute map, then its other attributes, each group in document order.
#pragma once

#include "oleauto.h"
#include "unknwn.h"

// {88D96A05-F192-11D4-A65F-0040963251E5}
inline constexpr CLSID CLSID_DOMDocument60 = {0x88D96A05, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}};
// {2933BF80-7B36-11D2-B20E-00C04F983E60}
inline constexpr IID IID_IXMLDOMNode = {0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
// {2933BF81-7B36-11D2-B20E-00C04F983E60}
inline constexpr IID IID_IXMLDOMDocument = {0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
// {2933BF82-7B36-11D2-B20E-00C04F983E60}
inline constexpr IID IID_IXMLDOMNodeList = {0x2933BF82, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
// {2933BF83-7B36-11D2-B20E-00C04F983E60}
inline constexpr IID IID_IXMLDOMNamedNodeMap = {0x2933BF83, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
// {2933BF86-7B36-11D2-B20E-00C04F983E60}
inline constexpr IID IID_IXMLDOMElement = {0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
// {2933BF95-7B36-11D2-B20E-00C04F983E60}
inline constexpr IID IID_IXMLDOMDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
// {3EFAA426-272F-11D2-836F-0000F87A7782}
inline constexpr IID IID_IXMLDOMParseError = {0x3EFAA426, 0x272F, 0x11D2, {0x83, 0x6F, 0x00, 0x00, 0xF8, 0x7A, 0x77, 0x82}};

enum DOMNodeType {
    NODE_INVALID = 0,
    NODE_ELEMENT = 1,
    NODE_ATTRIBUTE = 2,
    NODE_TEXT = 3,
    NODE_CDATA_SECTION = 4,
    NODE_ENTITY_REFERENCE = 5,
    NODE_ENTITY = 6,
    NODE_PROCESSING_INSTRUCTION = 7,
    NODE_COMMENT = 8,
    NODE_DOCUMENT = 9,
};

struct IXMLDOMNodeList;
struct IXMLDOMNamedNodeMap;

struct IXMLDOMNode : public IUnknown {
    // The qualified name ("psf:Feature", "xmlns:psf", "#text", "#document").
    virtual HRESULT STDMETHODCALLTYPE get_nodeName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_nodeType(DOMNodeType* type) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_parentNode(IXMLDOMNode** parent) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_firstChild(IXMLDOMNode** child) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_lastChild(IXMLDOMNode** child) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_previousSibling(IXMLDOMNode** sibling) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_nextSibling(IXMLDOMNode** sibling) = 0;
    // Elements only; other nodes answer S_FALSE.
    virtual HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** attributes) = 0;
    // Takes a child out of this node and hands it back (oldChild may be null). A node that is not
    // a child of this one: E_INVALIDARG.
    virtual HRESULT STDMETHODCALLTYPE removeChild(IXMLDOMNode* childNode, IXMLDOMNode** oldChild) = 0;
    // The text of the node and its descendants; an attribute's value.
    virtual HRESULT STDMETHODCALLTYPE get_text(BSTR* text) = 0;
    // The node written as XML.
    virtual HRESULT STDMETHODCALLTYPE get_xml(BSTR* xml) = 0;
    // The name without its prefix; for a namespace declaration the declared prefix.
    virtual HRESULT STDMETHODCALLTYPE get_baseName(BSTR* name) = 0;

protected:
    ~IXMLDOMNode() = default;
};

struct IXMLDOMNodeList : public IUnknown {
    // An index outside the list: S_FALSE and null.
    virtual HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** item) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_length(LONG* length) = 0;

protected:
    ~IXMLDOMNodeList() = default;
};

struct IXMLDOMNamedNodeMap : public IUnknown {
    // The attribute of that qualified name; none: S_FALSE and null.
    virtual HRESULT STDMETHODCALLTYPE getNamedItem(BSTR name, IXMLDOMNode** item) = 0;
    // An index outside the map: S_FALSE and null.
    virtual HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** item) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_length(LONG* length) = 0;

protected:
    ~IXMLDOMNamedNodeMap() = default;
};

struct IXMLDOMElement : public IXMLDOMNode {
    virtual HRESULT STDMETHODCALLTYPE get_tagName(BSTR* tagName) = 0;

protected:
    ~IXMLDOMElement() = default;
};

// Why the last load failed: errorCode 0 when it did not.
struct IXMLDOMParseError : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE get_errorCode(LONG* errorCode) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_reason(BSTR* reason) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_line(LONG* line) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_linepos(LONG* linePosition) = 0;

protected:
    ~IXMLDOMParseError() = default;
};

struct IXMLDOMDocument : public IXMLDOMNode {
    // No document element (an empty document): S_FALSE and null.
    virtual HRESULT STDMETHODCALLTYPE get_documentElement(IXMLDOMElement** element) = 0;
    // The elements of that qualified name ("*": all), in document order, as they are now.
    virtual HRESULT STDMETHODCALLTYPE getElementsByTagName(BSTR tagName, IXMLDOMNodeList** elements) = 0;
    // Loads a file (a VT_BSTR path). A document that does not parse or has a document type
    // declaration (DTDs are prohibited, so no entity is ever expanded): S_FALSE, *success
    // VARIANT_FALSE, the document empty and the parse error set; a file that cannot be read: the
    // same with the file's error.
    virtual HRESULT STDMETHODCALLTYPE load(VARIANT source, VARIANT_BOOL* success) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_parseError(IXMLDOMParseError** error) = 0;
    // Loads a document from its text; answers as load.
    virtual HRESULT STDMETHODCALLTYPE loadXML(BSTR xml, VARIANT_BOOL* success) = 0;
    // Writes the document (UTF-8) to a file (a VT_BSTR path). An empty document: E_FAIL.
    virtual HRESULT STDMETHODCALLTYPE save(VARIANT destination) = 0;

protected:
    ~IXMLDOMDocument() = default;
};

struct IXMLDOMDocument2 : public IXMLDOMDocument {
    // "SelectionNamespaces" (VT_BSTR: space-separated xmlns declarations) and "SelectionLanguage"
    // (VT_BSTR "XPath"); another name: E_INVALIDARG; a malformed value: E_FAIL.
    virtual HRESULT STDMETHODCALLTYPE setProperty(BSTR name, VARIANT value) = 0;
    virtual HRESULT STDMETHODCALLTYPE getProperty(BSTR name, VARIANT* value) = 0;

protected:
    ~IXMLDOMDocument2() = default;
};
