// DOM nodes: the members every node has, the element object, node lists and attribute maps.
#include <new>
#include <utility>

#include <libxml/tree.h>

#include "crt/utf16.h"
#include "msxml/xml_document.h"

namespace palvex::xml {

namespace {

const char* Chars(const xmlChar* text) {
    return text ? reinterpret_cast<const char*>(text) : "";
}

std::string QualifiedName(const xmlNodePtr node) {
    std::string name;
    if (node->ns && node->ns->prefix) name = std::string(Chars(node->ns->prefix)) + ":";
    return name + Chars(node->name);
}

std::string DeclarationName(const xmlNsPtr declaration) {
    return declaration->prefix ? std::string("xmlns:") + Chars(declaration->prefix) : std::string("xmlns");
}

// A node of the tree other than the document. Elements answer IXMLDOMElement too.
class Node final : public com::UnknownObject<IXMLDOMElement> {
public:
    Node(Document* owner, NodeRef ref) : m_face(owner, ref) { owner->AddRef(); }

    HRESULT STDMETHODCALLTYPE get_nodeName(BSTR* name) override { return m_face.NodeName(name); }
    HRESULT STDMETHODCALLTYPE get_nodeType(DOMNodeType* type) override { return m_face.NodeType(type); }
    HRESULT STDMETHODCALLTYPE get_parentNode(IXMLDOMNode** parent) override { return m_face.ParentNode(parent); }
    HRESULT STDMETHODCALLTYPE get_firstChild(IXMLDOMNode** child) override { return m_face.FirstChild(child); }
    HRESULT STDMETHODCALLTYPE get_lastChild(IXMLDOMNode** child) override { return m_face.LastChild(child); }
    HRESULT STDMETHODCALLTYPE get_previousSibling(IXMLDOMNode** sibling) override {
        return m_face.PreviousSibling(sibling);
    }
    HRESULT STDMETHODCALLTYPE get_nextSibling(IXMLDOMNode** sibling) override { return m_face.NextSibling(sibling); }
    HRESULT STDMETHODCALLTYPE get_attributes(IXMLDOMNamedNodeMap** attributes) override {
        return m_face.Attributes(attributes);
    }
    HRESULT STDMETHODCALLTYPE removeChild(IXMLDOMNode* child, IXMLDOMNode** oldChild) override {
        return m_face.RemoveChild(child, oldChild);
    }
    HRESULT STDMETHODCALLTYPE get_text(BSTR* text) override { return m_face.Text(text); }
    HRESULT STDMETHODCALLTYPE get_xml(BSTR* xml) override { return m_face.Xml(xml); }
    HRESULT STDMETHODCALLTYPE get_baseName(BSTR* name) override { return m_face.BaseName(name); }
    HRESULT STDMETHODCALLTYPE get_tagName(BSTR* tagName) override { return m_face.NodeName(tagName); }

    const NodeFace& Face() const { return m_face; }

private:
    ~Node() override { m_face.Owner()->Release(); }
    bool Answers(REFIID riid) const override {
        return IsEqualIID(riid, IID_IXMLDOMNode) || (IsEqualIID(riid, IID_IXMLDOMElement) && m_face.Ref().IsElement());
    }

    NodeFace m_face;
};

class NodeList final : public com::UnknownObject<IXMLDOMNodeList> {
public:
    NodeList(Document* owner, std::vector<xmlNodePtr> nodes) : m_owner(owner), m_nodes(std::move(nodes)) {
        owner->AddRef();
    }
    HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** item) override {
        if (!item) return E_INVALIDARG;
        *item = nullptr;
        if (index < 0 || static_cast<size_t>(index) >= m_nodes.size()) return S_FALSE;
        return AnswerNode(m_owner, NodeRef{m_nodes[static_cast<size_t>(index)], nullptr}, item);
    }
    HRESULT STDMETHODCALLTYPE get_length(LONG* length) override {
        if (!length) return E_INVALIDARG;
        *length = static_cast<LONG>(m_nodes.size());
        return S_OK;
    }

private:
    ~NodeList() override { m_owner->Release(); }
    bool Answers(REFIID riid) const override { return IsEqualIID(riid, IID_IXMLDOMNodeList); }
    Document* m_owner;
    std::vector<xmlNodePtr> m_nodes;
};

// An element's attributes as they are at each call: its namespace declarations, then the others.
class AttributeMap final : public com::UnknownObject<IXMLDOMNamedNodeMap> {
public:
    AttributeMap(Document* owner, xmlNodePtr element) : m_owner(owner), m_element(element) { owner->AddRef(); }
    HRESULT STDMETHODCALLTYPE getNamedItem(BSTR name, IXMLDOMNode** item) override {
        if (!name || !item) return E_INVALIDARG;
        *item = nullptr;
        const std::string wanted = BstrToUtf8(name);
        for (const NodeRef& ref : Entries()) {
            const std::string entryName =
                ref.IsDeclaration() ? DeclarationName(ref.declaration) : QualifiedName(ref.node);
            if (entryName == wanted) return AnswerNode(m_owner, ref, item);
        }
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_item(LONG index, IXMLDOMNode** item) override {
        if (!item) return E_INVALIDARG;
        *item = nullptr;
        const std::vector<NodeRef> entries = Entries();
        if (index < 0 || static_cast<size_t>(index) >= entries.size()) return S_FALSE;
        return AnswerNode(m_owner, entries[static_cast<size_t>(index)], item);
    }
    HRESULT STDMETHODCALLTYPE get_length(LONG* length) override {
        if (!length) return E_INVALIDARG;
        *length = static_cast<LONG>(Entries().size());
        return S_OK;
    }

private:
    ~AttributeMap() override { m_owner->Release(); }
    bool Answers(REFIID riid) const override { return IsEqualIID(riid, IID_IXMLDOMNamedNodeMap); }

    std::vector<NodeRef> Entries() const {
        std::vector<NodeRef> entries;
        for (xmlNsPtr declaration = m_element->nsDef; declaration; declaration = declaration->next)
            entries.push_back(NodeRef{m_element, declaration});
        for (xmlAttrPtr attribute = m_element->properties; attribute; attribute = attribute->next)
            entries.push_back(NodeRef{reinterpret_cast<xmlNodePtr>(attribute), nullptr});
        return entries;
    }

    Document* m_owner;
    xmlNodePtr m_element;
};

HRESULT NoNode(IXMLDOMNode** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    return S_FALSE;
}

}  // namespace

HRESULT Utf8ToBstr(const std::string& text, BSTR* out) {
    if (!out) return E_INVALIDARG;
    const std::u16string wide = palvex::text::FromUtf8(text);
    *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT Utf8ToBstr(const xmlChar* text, BSTR* out) {
    return Utf8ToBstr(std::string(Chars(text)), out);
}

std::string BstrToUtf8(BSTR text) {
    return text ? palvex::text::ToUtf8(std::u16string_view(text, SysStringLen(text))) : std::string();
}

HRESULT AnswerNode(Document* owner, NodeRef ref, IXMLDOMNode** out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (!ref.node) return S_FALSE;
    if (ref.node->type == XML_DOCUMENT_NODE) {
        owner->AddRef();
        *out = owner;
        return S_OK;
    }
    Node* node = new (std::nothrow) Node(owner, ref);
    if (!node) return E_OUTOFMEMORY;
    *out = node;
    return S_OK;
}

bool RefOf(Document* owner, IXMLDOMNode* node, NodeRef* ref) {
    auto* known = dynamic_cast<Node*>(node);
    if (!known || known->Face().Owner() != owner) return false;
    *ref = known->Face().Ref();
    return true;
}

HRESULT MakeNodeList(Document* owner, std::vector<xmlNodePtr> nodes, IXMLDOMNodeList** out) {
    *out = new (std::nothrow) NodeList(owner, std::move(nodes));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT MakeAttributeMap(Document* owner, xmlNodePtr element, IXMLDOMNamedNodeMap** out) {
    *out = new (std::nothrow) AttributeMap(owner, element);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT NodeFace::NodeName(BSTR* name) const {
    if (!name) return E_INVALIDARG;
    if (m_ref.IsDeclaration()) return Utf8ToBstr(DeclarationName(m_ref.declaration), name);
    switch (m_ref.node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
        return Utf8ToBstr(QualifiedName(m_ref.node), name);
    case XML_TEXT_NODE:
        return Utf8ToBstr(std::string("#text"), name);
    case XML_CDATA_SECTION_NODE:
        return Utf8ToBstr(std::string("#cdata-section"), name);
    case XML_COMMENT_NODE:
        return Utf8ToBstr(std::string("#comment"), name);
    default:
        return Utf8ToBstr(m_ref.node->name, name);
    }
}

HRESULT NodeFace::NodeType(DOMNodeType* type) const {
    if (!type) return E_INVALIDARG;
    if (m_ref.IsDeclaration()) {
        *type = NODE_ATTRIBUTE;
        return S_OK;
    }
    switch (m_ref.node->type) {
    case XML_ELEMENT_NODE: *type = NODE_ELEMENT; break;
    case XML_ATTRIBUTE_NODE: *type = NODE_ATTRIBUTE; break;
    case XML_TEXT_NODE: *type = NODE_TEXT; break;
    case XML_CDATA_SECTION_NODE: *type = NODE_CDATA_SECTION; break;
    case XML_ENTITY_REF_NODE: *type = NODE_ENTITY_REFERENCE; break;
    case XML_PI_NODE: *type = NODE_PROCESSING_INSTRUCTION; break;
    case XML_COMMENT_NODE: *type = NODE_COMMENT; break;
    case XML_DOCUMENT_NODE: *type = NODE_DOCUMENT; break;
    default: *type = NODE_INVALID; break;
    }
    return S_OK;
}

HRESULT NodeFace::ParentNode(IXMLDOMNode** parent) const {
    if (!parent) return E_INVALIDARG;
    if (m_ref.IsAttribute()) return NoNode(parent);  // attributes have no parent in the DOM
    return AnswerNode(m_owner, NodeRef{m_ref.node->parent, nullptr}, parent);
}

HRESULT NodeFace::FirstChild(IXMLDOMNode** child) const {
    if (!child) return E_INVALIDARG;
    if (!m_ref.node || m_ref.IsAttribute()) return NoNode(child);
    return AnswerNode(m_owner, NodeRef{m_ref.node->children, nullptr}, child);
}

HRESULT NodeFace::LastChild(IXMLDOMNode** child) const {
    if (!child) return E_INVALIDARG;
    if (!m_ref.node || m_ref.IsAttribute()) return NoNode(child);
    return AnswerNode(m_owner, NodeRef{m_ref.node->last, nullptr}, child);
}

HRESULT NodeFace::PreviousSibling(IXMLDOMNode** sibling) const {
    if (!sibling) return E_INVALIDARG;
    if (m_ref.IsAttribute()) return NoNode(sibling);
    return AnswerNode(m_owner, NodeRef{m_ref.node->prev, nullptr}, sibling);
}

HRESULT NodeFace::NextSibling(IXMLDOMNode** sibling) const {
    if (!sibling) return E_INVALIDARG;
    if (m_ref.IsAttribute()) return NoNode(sibling);
    return AnswerNode(m_owner, NodeRef{m_ref.node->next, nullptr}, sibling);
}

HRESULT NodeFace::Attributes(IXMLDOMNamedNodeMap** attributes) const {
    if (!attributes) return E_INVALIDARG;
    *attributes = nullptr;
    if (!m_ref.IsElement()) return S_FALSE;
    return MakeAttributeMap(m_owner, m_ref.node, attributes);
}

HRESULT NodeFace::RemoveChild(IXMLDOMNode* child, IXMLDOMNode** oldChild) const {
    if (oldChild) *oldChild = nullptr;
    if (!child) return E_INVALIDARG;
    NodeRef ref;
    if (!m_ref.node || m_ref.IsAttribute() || !RefOf(m_owner, child, &ref) || ref.IsAttribute() ||
        ref.node->parent != m_ref.node)
        return E_INVALIDARG;
    xmlUnlinkNode(ref.node);
    m_owner->KeepDetached(ref.node);
    if (oldChild) {
        child->AddRef();
        *oldChild = child;
    }
    return S_OK;
}

HRESULT NodeFace::Text(BSTR* text) const {
    if (!text) return E_INVALIDARG;
    if (m_ref.IsDeclaration()) return Utf8ToBstr(m_ref.declaration->href, text);
    if (!m_ref.node) return Utf8ToBstr(std::string(), text);
    xmlChar* content = xmlNodeGetContent(m_ref.node);
    const HRESULT result = Utf8ToBstr(content, text);
    if (content) xmlFree(content);
    return result;
}

HRESULT NodeFace::Xml(BSTR* xml) const {
    if (!xml) return E_INVALIDARG;
    if (m_ref.IsAttribute()) {
        BSTR value = nullptr;
        HRESULT result = Text(&value);
        if (FAILED(result)) return result;
        std::string escaped;
        for (char c : BstrToUtf8(value)) {
            if (c == '"') escaped += "&quot;";
            else if (c == '&') escaped += "&amp;";
            else if (c == '<') escaped += "&lt;";
            else escaped += c;
        }
        SysFreeString(value);
        const std::string name =
            m_ref.IsDeclaration() ? DeclarationName(m_ref.declaration) : QualifiedName(m_ref.node);
        return Utf8ToBstr(name + "=\"" + escaped + "\"", xml);
    }
    xmlBufferPtr buffer = xmlBufferCreate();
    if (!buffer) return E_OUTOFMEMORY;
    xmlNodeDump(buffer, m_ref.node->doc, m_ref.node, 0, 0);
    const HRESULT result = Utf8ToBstr(xmlBufferContent(buffer), xml);
    xmlBufferFree(buffer);
    return result;
}

HRESULT NodeFace::BaseName(BSTR* name) const {
    if (!name) return E_INVALIDARG;
    if (m_ref.IsDeclaration())
        return Utf8ToBstr(m_ref.declaration->prefix ? m_ref.declaration->prefix : BAD_CAST "xmlns", name);
    if (m_ref.node->type == XML_ELEMENT_NODE || m_ref.node->type == XML_ATTRIBUTE_NODE ||
        m_ref.node->type == XML_PI_NODE)
        return Utf8ToBstr(m_ref.node->name, name);
    return Utf8ToBstr(std::string(), name);
}

}  // namespace palvex::xml
