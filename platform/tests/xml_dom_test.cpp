// The XML DOM document, BSTRs and VarBstrCmp, and printer data under named keys.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/paths.h>
#include <win/msxml2.h>
#include <win/oleauto.h>
#include <win/windows.h>

namespace {

// Owners for what the DOM hands out.
struct Text {
    BSTR value = nullptr;
    ~Text() { SysFreeString(value); }
    std::u16string str() const { return value ? std::u16string(value, SysStringLen(value)) : std::u16string(); }
};

template <class T>
struct Ref {
    T* p = nullptr;
    ~Ref() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
    T** out() { return &p; }
};

Text Bstr(const char16_t* text) {
    return Text{SysAllocString(text)};
}

class XmlDomTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                                   reinterpret_cast<void**>(m_document.out())),
                  S_OK);
    }
    HRESULT Load(const char16_t* xml, VARIANT_BOOL* success = nullptr) {
        VARIANT_BOOL ok = VARIANT_FALSE;
        Text text = Bstr(xml);
        const HRESULT result = m_document->loadXML(text.value, &ok);
        if (success) *success = ok;
        return result;
    }
    std::u16string NameOf(IXMLDOMNode* node) {
        Text name;
        EXPECT_EQ(node->get_nodeName(&name.value), S_OK);
        return name.str();
    }

    Ref<IXMLDOMDocument2> m_document;
};

constexpr char16_t kDocument[] =
    u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
    u"<psf:Root xmlns:psf=\"urn:f\" version=\"1\" xmlns:k=\"urn:k\">\n"
    u"  <psf:Feature name=\"k:A\">\n"
    u"    <psf:Option name=\"one\"/>\n"
    u"    <psf:Option name=\"two\">text &amp; more</psf:Option>\n"
    u"  </psf:Feature>\n"
    u"  <psf:Feature name=\"k:B\"><psf:Feature name=\"k:C\"/></psf:Feature>\n"
    u"  <k:Feature/>\n"
    u"</psf:Root>\n";

TEST_F(XmlDomTest, LoadsATextAndWalksItsElements) {
    VARIANT_BOOL success = VARIANT_FALSE;
    ASSERT_EQ(Load(kDocument, &success), S_OK);
    EXPECT_EQ(success, VARIANT_TRUE);

    Ref<IXMLDOMElement> root;
    ASSERT_EQ(m_document->get_documentElement(root.out()), S_OK);
    Text baseName;
    ASSERT_EQ(root->get_baseName(&baseName.value), S_OK);
    EXPECT_EQ(baseName.str(), u"Root");
    EXPECT_EQ(NameOf(root.p), u"psf:Root");

    // Whitespace between elements is not kept: the last child is the element written last.
    Ref<IXMLDOMNode> last;
    ASSERT_EQ(root->get_lastChild(last.out()), S_OK);
    EXPECT_EQ(NameOf(last.p), u"k:Feature");
    Ref<IXMLDOMNode> previous;
    ASSERT_EQ(last->get_previousSibling(previous.out()), S_OK);
    EXPECT_EQ(NameOf(previous.p), u"psf:Feature");
    Ref<IXMLDOMNode> none;
    EXPECT_EQ(last->get_lastChild(none.out()), S_FALSE);
    EXPECT_EQ(none.p, nullptr);

    Ref<IXMLDOMNodeList> features;
    Text tag = Bstr(u"psf:Feature");
    ASSERT_EQ(m_document->getElementsByTagName(tag.value, features.out()), S_OK);
    LONG count = 0;
    ASSERT_EQ(features->get_length(&count), S_OK);
    ASSERT_EQ(count, 3);  // by qualified name, nested ones included, in document order
    std::vector<std::u16string> names;
    for (LONG i = 0; i < count; ++i) {
        Ref<IXMLDOMNode> feature;
        ASSERT_EQ(features->get_item(i, feature.out()), S_OK);
        Ref<IXMLDOMNamedNodeMap> attributes;
        ASSERT_EQ(feature->get_attributes(attributes.out()), S_OK);
        Ref<IXMLDOMNode> name;
        Text nameAttribute = Bstr(u"name");
        ASSERT_EQ(attributes->getNamedItem(nameAttribute.value, name.out()), S_OK);
        Text value;
        ASSERT_EQ(name->get_text(&value.value), S_OK);
        names.push_back(value.str());
    }
    EXPECT_EQ(names, (std::vector<std::u16string>{u"k:A", u"k:B", u"k:C"}));
    Ref<IXMLDOMNode> outside;
    EXPECT_EQ(features->get_item(3, outside.out()), S_FALSE);

    Ref<IXMLDOMNode> option;
    Ref<IXMLDOMNode> firstFeature;
    ASSERT_EQ(root->get_firstChild(firstFeature.out()), S_OK);
    ASSERT_EQ(firstFeature->get_lastChild(option.out()), S_OK);
    Text text;
    ASSERT_EQ(option->get_text(&text.value), S_OK);
    EXPECT_EQ(text.str(), u"text & more");
}

TEST_F(XmlDomTest, NamespaceDeclarationsAreTheFirstAttributes) {
    ASSERT_EQ(Load(kDocument), S_OK);
    Ref<IXMLDOMElement> root;
    ASSERT_EQ(m_document->get_documentElement(root.out()), S_OK);
    Ref<IXMLDOMNamedNodeMap> attributes;
    ASSERT_EQ(root->get_attributes(attributes.out()), S_OK);
    LONG count = 0;
    ASSERT_EQ(attributes->get_length(&count), S_OK);
    struct Expected {
        std::u16string name, baseName, text;
    };
    const std::vector<Expected> expected = {
        {u"xmlns:psf", u"psf", u"urn:f"}, {u"xmlns:k", u"k", u"urn:k"}, {u"version", u"version", u"1"}};
    ASSERT_EQ(count, static_cast<LONG>(expected.size()));
    for (LONG i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        Ref<IXMLDOMNode> attribute;
        ASSERT_EQ(attributes->get_item(i, attribute.out()), S_OK);
        Text baseName, text;
        ASSERT_EQ(attribute->get_baseName(&baseName.value), S_OK);
        ASSERT_EQ(attribute->get_text(&text.value), S_OK);
        EXPECT_EQ(NameOf(attribute.p), expected[static_cast<size_t>(i)].name);
        EXPECT_EQ(baseName.str(), expected[static_cast<size_t>(i)].baseName);
        EXPECT_EQ(text.str(), expected[static_cast<size_t>(i)].text);
        DOMNodeType type = NODE_INVALID;
        EXPECT_EQ(attribute->get_nodeType(&type), S_OK);
        EXPECT_EQ(type, NODE_ATTRIBUTE);
        Ref<IXMLDOMNamedNodeMap> none;
        EXPECT_EQ(attribute->get_attributes(none.out()), S_FALSE);  // only elements have attributes
    }
    Ref<IXMLDOMNode> missing;
    Text name = Bstr(u"name");
    EXPECT_EQ(attributes->getNamedItem(name.value, missing.out()), S_FALSE);
    EXPECT_EQ(missing.p, nullptr);
}

TEST_F(XmlDomTest, RemoveChildTakesOnlyOwnChildrenAndKeepsThemUsable) {
    ASSERT_EQ(Load(kDocument), S_OK);
    Ref<IXMLDOMElement> root;
    ASSERT_EQ(m_document->get_documentElement(root.out()), S_OK);
    Ref<IXMLDOMNode> feature;
    ASSERT_EQ(root->get_firstChild(feature.out()), S_OK);
    Ref<IXMLDOMNode> option;
    ASSERT_EQ(feature->get_lastChild(option.out()), S_OK);

    EXPECT_EQ(root->removeChild(option.p, nullptr), E_INVALIDARG);  // a grandchild
    EXPECT_EQ(root->removeChild(nullptr, nullptr), E_INVALIDARG);
    Ref<IXMLDOMNode> removed;
    ASSERT_EQ(feature->removeChild(option.p, removed.out()), S_OK);
    EXPECT_EQ(removed.p, option.p);
    EXPECT_EQ(feature->removeChild(option.p, nullptr), E_INVALIDARG);  // not a child any more
    Text xml;
    ASSERT_EQ(feature->get_xml(&xml.value), S_OK);
    EXPECT_EQ(xml.str(), u"<psf:Feature name=\"k:A\"><psf:Option name=\"one\"/></psf:Feature>");
    Text text;
    ASSERT_EQ(removed->get_text(&text.value), S_OK);  // the taken node lives on
    EXPECT_EQ(text.str(), u"text & more");

    // A node of another document is not a child either.
    Ref<IXMLDOMDocument2> other;
    ASSERT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                               reinterpret_cast<void**>(other.out())),
              S_OK);
    Text otherText = Bstr(u"<a><b/></a>");
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(other->loadXML(otherText.value, &ok), S_OK);
    Ref<IXMLDOMElement> otherRoot;
    ASSERT_EQ(other->get_documentElement(otherRoot.out()), S_OK);
    Ref<IXMLDOMNode> otherChild;
    ASSERT_EQ(otherRoot->get_firstChild(otherChild.out()), S_OK);
    EXPECT_EQ(feature->removeChild(otherChild.p, nullptr), E_INVALIDARG);
}

TEST_F(XmlDomTest, MalformedDocumentsLoadEmptyWithAReason) {
    const char16_t* cases[] = {
        u"",
        u"<a><b></a>",
        u"<psf:Root/>",  // an undeclared prefix
        u"<a/><b/>",
        u"<?xml version=\"1.0\"?>",
        u"<a attr=\"1\" attr=\"2\"/>",
        u"<!DOCTYPE a [<!ENTITY x \"y\">]><a>&x;</a>",  // no document type declarations
    };
    for (const char16_t* text : cases) {
        SCOPED_TRACE(std::string(text, text + std::char_traits<char16_t>::length(text)));
        ASSERT_EQ(Load(kDocument), S_OK);
        VARIANT_BOOL success = VARIANT_TRUE;
        EXPECT_EQ(Load(text, &success), S_FALSE);
        EXPECT_EQ(success, VARIANT_FALSE);
        Ref<IXMLDOMElement> root;
        EXPECT_EQ(m_document->get_documentElement(root.out()), S_FALSE);
        EXPECT_EQ(root.p, nullptr);
        Ref<IXMLDOMParseError> error;
        ASSERT_EQ(m_document->get_parseError(error.out()), S_OK);
        LONG code = 0;
        EXPECT_EQ(error->get_errorCode(&code), S_OK);
        EXPECT_NE(code, 0);
        Text reason;
        ASSERT_EQ(error->get_reason(&reason.value), S_OK);
        EXPECT_FALSE(reason.str().empty());
    }
}

TEST_F(XmlDomTest, NodesOfAReplacedDocumentStayValid) {
    ASSERT_EQ(Load(kDocument), S_OK);
    Ref<IXMLDOMElement> oldRoot;
    ASSERT_EQ(m_document->get_documentElement(oldRoot.out()), S_OK);
    ASSERT_EQ(Load(u"<x/>"), S_OK);
    EXPECT_EQ(NameOf(oldRoot.p), u"psf:Root");
}

TEST_F(XmlDomTest, SavesAndLoadsFilesOfTheMachine) {
    ASSERT_EQ(Load(kDocument), S_OK);
    VARIANT path;
    VariantInit(&path);
    path.vt = VT_BSTR;
    path.bstrVal = SysAllocString(u"C:\\Windows\\Temp\\caps.xml");
    std::filesystem::create_directories(palvex::HostPath(u"C:\\Windows\\Temp"));
    ASSERT_EQ(m_document->save(path), S_OK);
    ASSERT_EQ(Load(u"<x/>"), S_OK);
    VARIANT_BOOL success = VARIANT_FALSE;
    EXPECT_EQ(m_document->load(path, &success), S_OK);
    EXPECT_EQ(success, VARIANT_TRUE);
    Ref<IXMLDOMElement> root;
    ASSERT_EQ(m_document->get_documentElement(root.out()), S_OK);
    EXPECT_EQ(NameOf(root.p), u"psf:Root");
    VariantClear(&path);

    path.vt = VT_BSTR;
    path.bstrVal = SysAllocString(u"C:\\Windows\\Temp\\missing.xml");
    EXPECT_EQ(m_document->load(path, &success), S_FALSE);
    EXPECT_EQ(success, VARIANT_FALSE);
    VariantClear(&path);
}

TEST_F(XmlDomTest, SelectionNamespacesMustBeDeclarations) {
    struct Case {
        const char16_t* name;
        const char16_t* value;
        HRESULT expected;
    };
    const Case cases[] = {
        {u"SelectionNamespaces", u"xmlns:psf='urn:f'", S_OK},
        {u"SelectionNamespaces", u"xmlns:psf='urn:f' xmlns:k=\"urn:k\"", S_OK},
        {u"SelectionNamespaces", u"", S_OK},
        {u"SelectionNamespaces", u"xmlns:psf=urn:f", E_FAIL},
        {u"SelectionNamespaces", u"psf='urn:f'", E_FAIL},
        {u"SelectionNamespaces", u"xmlns:psf='urn:f", E_FAIL},
        {u"SelectionLanguage", u"XPath", S_OK},
        {u"Something", u"x", E_INVALIDARG},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value, c.value + std::char_traits<char16_t>::length(c.value)));
        Text name = Bstr(c.name);
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(c.value);
        EXPECT_EQ(m_document->setProperty(name.value, value), c.expected);
        VariantClear(&value);
    }
    Text name = Bstr(u"SelectionNamespaces");
    VARIANT value;
    ASSERT_EQ(m_document->getProperty(name.value, &value), S_OK);
    EXPECT_EQ(std::u16string(value.bstrVal), u"");  // the last accepted value
    VariantClear(&value);
}

TEST(Bstr, KeepsItsLengthAndComparesByCharacters) {
    BSTR text = SysAllocStringLen(u"ab\0cd", 5);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 5u);
    EXPECT_EQ(text[5], u'\0');
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);

    struct Case {
        const char16_t* left;
        const char16_t* right;
        ULONG flags;
        HRESULT expected;
    };
    const Case cases[] = {
        {u"PrintCapabilities", u"PrintCapabilities", 0, VARCMP_EQ},
        {u"printcapabilities", u"PrintCapabilities", 0, VARCMP_GT},
        {u"printcapabilities", u"PrintCapabilities", NORM_IGNORECASE, VARCMP_EQ},
        {u"Print", u"PrintTicket", 0, VARCMP_LT},
        {u"", nullptr, 0, VARCMP_EQ},
        {u"a", u"b", 0x100, E_INVALIDARG},
    };
    for (const Case& c : cases) {
        BSTR left = SysAllocString(c.left);
        BSTR right = SysAllocString(c.right);
        EXPECT_EQ(VarBstrCmp(left, right, LOCALE_USER_DEFAULT, c.flags), c.expected);
        SysFreeString(left);
        SysFreeString(right);
    }
    SysFreeString(text);
}

TEST(CoCreate, ServesOnlyTheDomDocument) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(IID_IUnknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMNodeList, &object),
              E_NOINTERFACE);
}

TEST(PrinterDataEx, KeysKeepTheirValuesApart) {
    palvex::TestMachine machine;
    machine.AddPrinterWithDriver(u"Palvex Keys");
    std::u16string name = u"Palvex Keys";
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterW(name.data(), &printer, &defaults));
    DWORD one = 1, two = 2;
    EXPECT_EQ(SetPrinterDataExW(printer, u"CUSTOMMEDIA", u"Form A", REG_DWORD, reinterpret_cast<LPBYTE>(&one), 4),
              ERROR_SUCCESS);
    EXPECT_EQ(SetPrinterDataW(printer, name.data() /* any value name */, REG_DWORD, reinterpret_cast<LPBYTE>(&two), 4),
              ERROR_SUCCESS);
    DWORD value = 0, type = 0, needed = 0;
    EXPECT_EQ(GetPrinterDataExW(printer, u"custommedia", u"form a", &type, reinterpret_cast<LPBYTE>(&value), 4,
                                &needed),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(GetPrinterDataExW(printer, u"CUSTOMMEDIA", name.c_str(), &type, reinterpret_cast<LPBYTE>(&value), 4,
                                &needed),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(GetPrinterDataExW(printer, u"PrinterDriverData", name.c_str(), &type, reinterpret_cast<LPBYTE>(&value),
                                4, &needed),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(GetPrinterDataExW(printer, u"", u"Form A", &type, reinterpret_cast<LPBYTE>(&value), 4, &needed),
              ERROR_INVALID_PARAMETER);
    ClosePrinter(printer);
}

}  // namespace
