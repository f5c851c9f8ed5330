// The DOM document object (internal to the platform library).
#pragma once

#include <string>
#include <vector>

#include "com/unknown_object.h"
#include "msxml/xml_dom.h"

namespace palvex::xml {

struct ParseFailure {
    LONG code = 0;  // 0: the last load succeeded
    std::string reason;
    LONG line = 0;
    LONG column = 0;
};

class Document final : public com::UnknownObject<IXMLDOMDocument2> {
public:
    Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // IXMLDOMNode.
    HRESULT STDMETHODCALLTYPE get_nodeName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_nodeType(DOMNodeType* type) override;
    HRESULT STDMETHODCALLTYPE get_parentNode(IXMLDOMNode** parent) override;
    HRESULT STDMETHODCALLTYPE get_firstChild(IXMLDOMNode** child) override;
    HRESULT STDMETHODCALLTYPE get_lastChild(IXMLDOMNode** child) override;
    HRESULT STDMETHODCALLTYPE get_previousSibling(IXMLDOMNode** sibling) override;
    HRESULT STDMETHODCALLTYPE get_nextSibling(IXMLDOMNode** sibling) override;
    HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** attributes) override;
    HRESULT STDMETHODCALLTYPE removeChild(IXMLDOMNode* child, IXMLDOMNode** oldChild) override;
    HRESULT STDMETHODCALLTYPE get_text(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE get_xml(BSTR* xml) override;
    HRESULT STDMETHODCALLTYPE get_baseName(BSTR* name) override;

    // IXMLDOMDocument.
    HRESULT STDMETHODCALLTYPE get_documentElement(IXMLDOMElement** element) override;
    HRESULT STDMETHODCALLTYPE getElementsByTagName(BSTR tagName, IXMLDOMNodeList** elements) override;
    HRESULT STDMETHODCALLTYPE load(VARIANT source, VARIANT_BOOL* success) override;
    HRESULT STDMETHODCALLTYPE get_parseError(IXMLDOMParseError** error) override;
    HRESULT STDMETHODCALLTYPE loadXML(BSTR xml, VARIANT_BOOL* success) override;
    HRESULT STDMETHODCALLTYPE save(VARIANT destination) override;

    // IXMLDOMDocument2.
    HRESULT STDMETHODCALLTYPE setProperty(BSTR name, VARIANT value) override;
    HRESULT STDMETHODCALLTYPE getProperty(BSTR name, VARIANT* value) override;

    // The tree (null while the document is empty).
    xmlDocPtr Tree() const { return m_tree; }
    // Keeps a node taken out of the tree until the document goes.
    void KeepDetached(xmlNodePtr node) { m_detached.push_back(node); }
    // The node members over the document's own node.
    NodeFace Face() { return NodeFace(this, NodeRef{reinterpret_cast<xmlNodePtr>(m_tree), nullptr}); }

private:
    ~Document() override;
    bool Answers(REFIID riid) const override;

    // Parses bytes (encoding null: as the document declares) and makes them the document.
    HRESULT LoadBytes(const std::string& bytes, const char* encoding, VARIANT_BOOL* success);
    HRESULT Fail(ParseFailure failure, VARIANT_BOOL* success);
    void Replace(xmlDocPtr tree);

    xmlDocPtr m_tree = nullptr;
    std::vector<xmlDocPtr> m_retired;     // trees a reload replaced
    std::vector<xmlNodePtr> m_detached;   // nodes taken out of a tree
    ParseFailure m_failure;
    std::u16string m_selectionNamespaces;
    std::u16string m_selectionLanguage = u"XPath";
};

}  // namespace palvex::xml
