// The DOM document: loading (libxml2's parser, no network, no external entities), saving, the
// document element, element lists by name and the selection properties.
#include "msxml/xml_document.h"

#include <fstream>
#include <iterator>
#include <mutex>

#include <libxml/parser.h>
#include <libxml/xmlsave.h>

#include <palvex/paths.h>

#include "crt/utf16.h"

namespace palvex::xml {

namespace {

void InitialiseParser() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

// The platform's error codes for load failures (the parser's code in the low bits).
constexpr LONG kParseErrorBase = static_cast<LONG>(0xC00CE000);
constexpr LONG kFileError = static_cast<LONG>(0x800C0006);
constexpr LONG kDtdProhibited = static_cast<LONG>(0xC00CE5A1);

class ParseError final : public com::UnknownObject<IXMLDOMParseError> {
public:
    explicit ParseError(ParseFailure failure) : m_failure(std::move(failure)) {}

    HRESULT STDMETHODCALLTYPE get_errorCode(LONG* errorCode) override {
        if (!errorCode) return E_POINTER;
        *errorCode = m_failure.code;
        return m_failure.code ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_reason(BSTR* reason) override {
        if (!reason) return E_POINTER;
        return Utf8ToBstr(m_failure.reason, reason);
    }
    HRESULT STDMETHODCALLTYPE get_line(LONG* line) override {
        if (!line) return E_POINTER;
        *line = m_failure.line;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_linepos(LONG* linePosition) override {
        if (!linePosition) return E_POINTER;
        *linePosition = m_failure.column;
        return S_OK;
    }

private:
    ~ParseError() override = default;
    bool Answers(REFIID riid) const override { return IsEqualIID(riid, IID_IXMLDOMParseError); }
    ParseFailure m_failure;
};

void CollectElements(xmlNodePtr node, const std::string& name, std::vector<xmlNodePtr>& found) {
    for (xmlNodePtr child = node ? node->children : nullptr; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        if (name == "*") {
            found.push_back(child);
        } else {
            std::string qualified;
            if (child->ns && child->ns->prefix) qualified = std::string(reinterpret_cast<const char*>(child->ns->prefix)) + ":";
            qualified += reinterpret_cast<const char*>(child->name);
            if (qualified == name) found.push_back(child);
        }
        CollectElements(child, name, found);
    }
}

// "xmlns:p='uri'" declarations separated by white space (an empty list too).
bool IsNamespaceList(const std::u16string& text) {
    size_t at = 0;
    const auto skipSpace = [&] {
        while (at < text.size() && (text[at] == u' ' || text[at] == u'\t' || text[at] == u'\r' || text[at] == u'\n'))
            ++at;
    };
    skipSpace();
    while (at < text.size()) {
        if (text.compare(at, 5, u"xmlns") != 0) return false;
        at += 5;
        if (at < text.size() && text[at] == u':') {
            const size_t start = ++at;
            while (at < text.size() && text[at] != u'=' && text[at] != u' ') ++at;
            if (at == start) return false;
        }
        if (at >= text.size() || text[at] != u'=') return false;
        ++at;
        if (at >= text.size() || (text[at] != u'\'' && text[at] != u'"')) return false;
        const char16_t quote = text[at++];
        const size_t close = text.find(quote, at);
        if (close == std::u16string::npos) return false;
        at = close + 1;
        if (at < text.size() && text[at] != u' ' && text[at] != u'\t' && text[at] != u'\r' && text[at] != u'\n')
            return false;
        skipSpace();
    }
    return true;
}

std::u16string BstrText(BSTR text) {
    return text ? std::u16string(text, SysStringLen(text)) : std::u16string();
}

}  // namespace

HRESULT CreateDocument(REFIID riid, void** object) {
    InitialiseParser();
    auto* document = new (std::nothrow) Document;
    if (!document) return E_OUTOFMEMORY;
    const HRESULT result = document->QueryInterface(riid, object);
    document->Release();
    return result;
}

Document::Document() = default;

Document::~Document() {
    // Detached nodes first: their names live in their tree's dictionary.
    for (xmlNodePtr node : m_detached) xmlFreeNode(node);
    for (xmlDocPtr tree : m_retired) xmlFreeDoc(tree);
    if (m_tree) xmlFreeDoc(m_tree);
}

bool Document::Answers(REFIID riid) const {
    return IsEqualIID(riid, IID_IXMLDOMNode) || IsEqualIID(riid, IID_IXMLDOMDocument) ||
           IsEqualIID(riid, IID_IXMLDOMDocument2);
}

HRESULT Document::get_nodeName(BSTR* name) {
    if (!name) return E_INVALIDARG;
    return Utf8ToBstr(std::string("#document"), name);
}

HRESULT Document::get_nodeType(DOMNodeType* type) {
    if (!type) return E_INVALIDARG;
    *type = NODE_DOCUMENT;
    return S_OK;
}

HRESULT Document::get_parentNode(IXMLDOMNode** parent) {
    if (!parent) return E_INVALIDARG;
    *parent = nullptr;
    return S_FALSE;
}

HRESULT Document::get_firstChild(IXMLDOMNode** child) {
    return Face().FirstChild(child);
}

HRESULT Document::get_lastChild(IXMLDOMNode** child) {
    return Face().LastChild(child);
}

HRESULT Document::get_previousSibling(IXMLDOMNode** sibling) {
    if (!sibling) return E_INVALIDARG;
    *sibling = nullptr;
    return S_FALSE;
}

HRESULT Document::get_nextSibling(IXMLDOMNode** sibling) {
    return get_previousSibling(sibling);
}

HRESULT Document::get_attributes(IXMLDOMNamedNodeMap** attributes) {
    if (!attributes) return E_INVALIDARG;
    *attributes = nullptr;
    return S_FALSE;
}

HRESULT Document::removeChild(IXMLDOMNode* child, IXMLDOMNode** oldChild) {
    return Face().RemoveChild(child, oldChild);
}

HRESULT Document::get_text(BSTR* text) {
    return Face().Text(text);
}

HRESULT Document::get_xml(BSTR* xml) {
    if (!xml) return E_INVALIDARG;
    *xml = nullptr;
    if (!m_tree) return Utf8ToBstr(std::string(), xml);
    xmlChar* bytes = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(m_tree, &bytes, &size, "UTF-8");
    if (!bytes) return E_OUTOFMEMORY;
    const HRESULT result = Utf8ToBstr(std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size)), xml);
    xmlFree(bytes);
    return result;
}

HRESULT Document::get_baseName(BSTR* name) {
    if (!name) return E_INVALIDARG;
    return Utf8ToBstr(std::string(), name);
}

HRESULT Document::get_documentElement(IXMLDOMElement** element) {
    if (!element) return E_INVALIDARG;
    *element = nullptr;
    xmlNodePtr root = m_tree ? xmlDocGetRootElement(m_tree) : nullptr;
    if (!root) return S_FALSE;
    IXMLDOMNode* node = nullptr;
    HRESULT result = AnswerNode(this, NodeRef{root, nullptr}, &node);
    if (result != S_OK) return result;
    result = node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element));
    node->Release();
    return result;
}

HRESULT Document::getElementsByTagName(BSTR tagName, IXMLDOMNodeList** elements) {
    if (!tagName || !elements) return E_INVALIDARG;
    *elements = nullptr;
    std::vector<xmlNodePtr> found;
    if (m_tree) CollectElements(reinterpret_cast<xmlNodePtr>(m_tree), BstrToUtf8(tagName), found);
    return MakeNodeList(this, std::move(found), elements);
}

HRESULT Document::Fail(ParseFailure failure, VARIANT_BOOL* success) {
    Replace(nullptr);
    m_failure = std::move(failure);
    if (success) *success = VARIANT_FALSE;
    return S_FALSE;
}

void Document::Replace(xmlDocPtr tree) {
    if (m_tree) m_retired.push_back(m_tree);  // node objects of the old tree may still be held
    m_tree = tree;
}

HRESULT Document::LoadBytes(const std::string& bytes, const char* encoding, VARIANT_BOOL* success) {
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (!context) return E_OUTOFMEMORY;
    const int options = XML_PARSE_NOBLANKS | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlDocPtr tree = bytes.size() > static_cast<size_t>(INT32_MAX)
                         ? nullptr
                         : xmlCtxtReadMemory(context, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                             encoding, options);
    const bool wellFormed = tree && context->wellFormed && context->nsWellFormed && xmlDocGetRootElement(tree);
    ParseFailure failure;
    if (!wellFormed) {
        const xmlError* error = &context->lastError;
        failure.code = kParseErrorBase | (error->code > 0 ? (error->code & 0xFFF) : 1);
        failure.reason = error->message ? error->message : "The document is not well-formed XML.";
        while (!failure.reason.empty() && (failure.reason.back() == '\n' || failure.reason.back() == ' '))
            failure.reason.pop_back();
        failure.line = error->line;
        failure.column = error->int2;
    }
    xmlFreeParserCtxt(context);
    // As the platform's DOM does by default, documents with a document type declaration are refused:
    // their entities could make a small text expand without bound when its text is read.
    if (wellFormed && (tree->intSubset || tree->extSubset)) {
        xmlFreeDoc(tree);
        return Fail(ParseFailure{kDtdProhibited, "A document type declaration is not allowed.", 1, 1}, success);
    }
    if (!wellFormed) {
        if (tree) xmlFreeDoc(tree);
        return Fail(std::move(failure), success);
    }
    Replace(tree);
    m_failure = ParseFailure{};
    if (success) *success = VARIANT_TRUE;
    return S_OK;
}

HRESULT Document::load(VARIANT source, VARIANT_BOOL* success) {
    if (source.vt != VT_BSTR || !source.bstrVal) return E_INVALIDARG;
    const auto path = palvex::HostPath(BstrText(source.bstrVal));
    std::ifstream file(path, std::ios::binary);
    if (path.empty() || !file) return Fail(ParseFailure{kFileError, "The file cannot be opened.", 0, 0}, success);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return LoadBytes(bytes, nullptr, success);
}

HRESULT Document::loadXML(BSTR xml, VARIANT_BOOL* success) {
    // The text is Unicode already: whatever encoding its declaration names does not apply.
    return LoadBytes(BstrToUtf8(xml), "UTF-8", success);
}

HRESULT Document::get_parseError(IXMLDOMParseError** error) {
    if (!error) return E_INVALIDARG;
    *error = new (std::nothrow) ParseError(m_failure);
    return *error ? S_OK : E_OUTOFMEMORY;
}

HRESULT Document::save(VARIANT destination) {
    if (destination.vt != VT_BSTR || !destination.bstrVal) return E_INVALIDARG;
    if (!m_tree) return E_FAIL;
    const auto path = palvex::HostPath(BstrText(destination.bstrVal));
    if (path.empty()) return E_INVALIDARG;
    return xmlSaveFileEnc(path.c_str(), m_tree, "UTF-8") < 0 ? E_FAIL : S_OK;
}

HRESULT Document::setProperty(BSTR name, VARIANT value) {
    if (!name) return E_INVALIDARG;
    const std::u16string property = BstrText(name);
    if (property != u"SelectionNamespaces" && property != u"SelectionLanguage") return E_INVALIDARG;
    if (value.vt != VT_BSTR) return E_INVALIDARG;
    const std::u16string text = BstrText(value.bstrVal);
    if (property == u"SelectionLanguage") {
        if (text != u"XPath" && text != u"XSLPattern") return E_FAIL;
        m_selectionLanguage = text;
        return S_OK;
    }
    if (!IsNamespaceList(text)) return E_FAIL;
    m_selectionNamespaces = text;
    return S_OK;
}

HRESULT Document::getProperty(BSTR name, VARIANT* value) {
    if (!name || !value) return E_INVALIDARG;
    const std::u16string property = BstrText(name);
    const std::u16string* text = property == u"SelectionNamespaces" ? &m_selectionNamespaces
                                 : property == u"SelectionLanguage" ? &m_selectionLanguage
                                                                     : nullptr;
    if (!text) return E_INVALIDARG;
    VariantInit(value);
    value->bstrVal = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
    if (!value->bstrVal) return E_OUTOFMEMORY;
    value->vt = VT_BSTR;
    return S_OK;
}

}  // namespace palvex::xml
