// The XML DOM document and its nodes over libxml2 (internal to the platform library).
//
// Every node object keeps its document alive. Nodes a caller takes out of the tree, and the trees
// a reload replaces, stay allocated until the document object goes, so no node object a caller
// still holds ever points at freed memory.
#pragma once

#include <string>
#include <vector>

#include <libxml/tree.h>

#include <win/msxml2.h>

namespace palvex::xml {

// CoCreateInstance's maker of CLSID_DOMDocument60.
HRESULT CreateDocument(REFIID riid, void** object);

// A new BSTR of a UTF-8 text (null: the empty text) into *out; E_OUTOFMEMORY when it cannot be made.
HRESULT Utf8ToBstr(const xmlChar* text, BSTR* out);
HRESULT Utf8ToBstr(const std::string& text, BSTR* out);
// The UTF-8 text of a BSTR.
std::string BstrToUtf8(BSTR text);

class Document;

// What a DOM node stands for: a node of the tree (element, text, comment, attribute, the
// document itself) or a namespace declaration of an element.
struct NodeRef {
    xmlNodePtr node = nullptr;  // for a declaration, the element that declares it
    xmlNsPtr declaration = nullptr;

    bool IsDeclaration() const { return declaration != nullptr; }
    bool IsAttribute() const { return IsDeclaration() || (node && node->type == XML_ATTRIBUTE_NODE); }
    bool IsElement() const { return !IsDeclaration() && node && node->type == XML_ELEMENT_NODE; }
};

// The node members shared by the document and its nodes.
class NodeFace {
public:
    NodeFace(Document* owner, NodeRef ref) : m_owner(owner), m_ref(ref) {}

    HRESULT NodeName(BSTR* name) const;
    HRESULT NodeType(DOMNodeType* type) const;
    HRESULT ParentNode(IXMLDOMNode** parent) const;
    HRESULT FirstChild(IXMLDOMNode** child) const;
    HRESULT LastChild(IXMLDOMNode** child) const;
    HRESULT PreviousSibling(IXMLDOMNode** sibling) const;
    HRESULT NextSibling(IXMLDOMNode** sibling) const;
    HRESULT Attributes(IXMLDOMNamedNodeMap** attributes) const;
    HRESULT RemoveChild(IXMLDOMNode* child, IXMLDOMNode** oldChild) const;
    HRESULT Text(BSTR* text) const;
    HRESULT Xml(BSTR* xml) const;
    HRESULT BaseName(BSTR* name) const;

    const NodeRef& Ref() const { return m_ref; }
    Document* Owner() const { return m_owner; }

protected:
    Document* m_owner;
    NodeRef m_ref;
};

// Hands out the object of a node (S_FALSE and null for no node). The document's own node is the
// document object.
HRESULT AnswerNode(Document* owner, NodeRef ref, IXMLDOMNode** out);

// The node reference behind a DOM node of this document; false for a foreign or unknown object.
bool RefOf(Document* owner, IXMLDOMNode* node, NodeRef* ref);

HRESULT MakeNodeList(Document* owner, std::vector<xmlNodePtr> nodes, IXMLDOMNodeList** out);
HRESULT MakeAttributeMap(Document* owner, xmlNodePtr element, IXMLDOMNamedNodeMap** out);

}  // namespace palvex::xml
