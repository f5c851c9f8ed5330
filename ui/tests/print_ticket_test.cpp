// The PrintTicket provider face: versions, binding, the helper, the private namespace, the
// namespace scan and the PrintCapabilities trim, on small documents written out here.
#include <memory>
#include <string>
#include <vector>

#include <plugin_library.h>
#include <ticket_host.h>
#include <win/msxml2.h>

#include <filesystem>
#include <fstream>

#include <palvex/utf8.h>

#include "ticket/coprintticketext.h"
#include "ui_fixture.h"

namespace uitest {
namespace {

// The standard namespaces as the public Print Schema documents declare them.
#define NS_DECLARATIONS                                                                       \
    u"xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" " \
    u"xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" "  \
    u"xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "                                          \
    u"xmlns:ns0000=\"http://schemas.orlune.example/trelkit/V3.00/\" "
#define XSI_DECLARATION u"xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "

std::u16string Number(unsigned long long value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string Replace(std::u16string text, const std::u16string& from, const std::u16string& to) {
    for (size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

template <class T>
struct Ref {
    T* p = nullptr;
    ~Ref() {
        if (p) p->Release();
    }
    T* operator->() const { return p; }
    T** out() { return &p; }
};

struct Text {
    BSTR value = nullptr;
    ~Text() { SysFreeString(value); }
    std::u16string str() const { return value ? std::u16string(value, SysStringLen(value)) : std::u16string(); }
};

// A document loaded from a text (an empty document when it does not parse).
Ref<IXMLDOMDocument2> Document(const std::u16string& xml) {
    Ref<IXMLDOMDocument2> document;
    EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                               reinterpret_cast<void**>(document.out())),
              S_OK);
    BSTR text = SysAllocString(xml.c_str());
    VARIANT_BOOL ok = VARIANT_FALSE;
    document->loadXML(text, &ok);
    SysFreeString(text);
    return document;
}

std::u16string XmlOf(IXMLDOMDocument2* document) {
    Text xml;
    EXPECT_EQ(document->get_xml(&xml.value), S_OK);
    return xml.str();
}

// The driver's helper as it publishes itself: it answers one of the core-helper interfaces (or a
// failure) and counts the questions.
class FakeTicketHelper final : public IUnknown {
public:
    FakeTicketHelper(const IID* answers, HRESULT failure = E_NOINTERFACE) : m_answers(answers), m_failure(failure) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        ++m_questions;
        *object = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || (m_answers && IsEqualIID(riid, *m_answers))) {
            *object = this;
            AddRef();
            return S_OK;
        }
        return IsEqualIID(riid, IID_IPrintCoreHelperUni) ? m_failure : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_refs; }
    ULONG refs() const { return m_refs; }
    int questions() const { return m_questions; }

private:
    const IID* m_answers;
    HRESULT m_failure;
    ULONG m_refs = 1;
    int m_questions = 0;
};

class PrintTicketTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        m_printerHandle = std::make_unique<PrinterHandle>();
    }
    void TearDown() override {
        m_plugin.plugin->Release();
        m_plugin.plugin = nullptr;
        EXPECT_EQ(m_helper.refs(), 1u);  // the plug-in gave back what it kept
    }

    // Publishes the helper and binds the test printer with version 1.
    void Bind() {
        ASSERT_EQ(m_plugin->PublishPrintTicketHelperInterface(&m_helper), S_OK);
        OEMPTOPTS options = 0xFF;
        INT flags = -1, count = -1;
        BSTR* namespaces = nullptr;
        ASSERT_EQ(m_plugin->BindPrinter(printer(), 1, &options, &flags, &count, &namespaces), S_OK);
    }

    HANDLE printer() const { return m_printerHandle->get(); }

    std::unique_ptr<PrinterHandle> m_printerHandle;
    FakeTicketHelper m_helper{&IID_IPrintCoreHelperUni};
    PluginRef m_plugin;
};

TEST_F(PrintTicketTest, SupportsVersionOneOnly) {
    INT* versions = nullptr;
    INT count = 0;
    ASSERT_EQ(m_plugin->GetSupportedVersions(printer(), &versions, &count), S_OK);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(versions[0], 1);
    CoTaskMemFree(versions);
    EXPECT_EQ(m_plugin->GetSupportedVersions(printer(), nullptr, &count), E_INVALIDARG);
    EXPECT_EQ(m_plugin->GetSupportedVersions(printer(), &versions, nullptr), E_INVALIDARG);
}

TEST_F(PrintTicketTest, BindPrinterNeedsTheHelperAndVersionOne) {
    OEMPTOPTS options = 0xFF;
    INT flags = -1, count = -1;
    BSTR* namespaces = reinterpret_cast<BSTR*>(1);
    EXPECT_EQ(m_plugin->BindPrinter(printer(), 1, &options, &flags, &count, &namespaces), E_FAIL);

    EXPECT_EQ(m_plugin->BindPrinter(nullptr, 1, &options, &flags, &count, &namespaces), E_INVALIDARG);
    EXPECT_EQ(m_plugin->BindPrinter(printer(), 1, nullptr, &flags, &count, &namespaces), E_INVALIDARG);
    EXPECT_EQ(m_plugin->BindPrinter(printer(), 1, &options, nullptr, &count, &namespaces), E_INVALIDARG);
    EXPECT_EQ(m_plugin->BindPrinter(printer(), 1, &options, &flags, nullptr, &namespaces), E_INVALIDARG);

    ASSERT_EQ(m_plugin->PublishPrintTicketHelperInterface(&m_helper), S_OK);
    EXPECT_EQ(m_plugin->BindPrinter(printer(), 2, &options, &flags, &count, &namespaces),
              static_cast<HRESULT>(0x80040001));
    ASSERT_NE(m_plugin->TicketBinding(), nullptr);  // bound all the same
    EXPECT_EQ(m_plugin->TicketBinding()->Printer(), printer());

    options = 0xFF, flags = -1, count = -1;
    namespaces = reinterpret_cast<BSTR*>(1);
    EXPECT_EQ(m_plugin->BindPrinter(printer(), 1, &options, &flags, &count, &namespaces), S_OK);
    EXPECT_EQ(options, 0u);
    EXPECT_EQ(flags, 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(namespaces, nullptr);
    EXPECT_EQ(m_plugin->BindPrinter(printer(), 1, &options, &flags, &count, nullptr), S_OK);
}

TEST_F(PrintTicketTest, PublicationKeepsACoreHelperOnce) {
    struct Case {
        const char* what;
        const IID* answers;
        HRESULT failure;
        HRESULT expected;
        bool kept;
        int questions;
    };
    const Case cases[] = {
        {"universal driver's helper", &IID_IPrintCoreHelperUni, E_NOINTERFACE, S_OK, true, 1},
        {"PostScript driver's helper", &IID_IPrintCoreHelperPS, E_NOINTERFACE, S_OK, true, 2},
        {"neither", nullptr, E_NOINTERFACE, S_OK, false, 2},
        {"a failing helper", nullptr, E_FAIL, E_FAIL, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PluginRef plugin;
        FakeTicketHelper helper(c.answers, c.failure);
        EXPECT_EQ(plugin->PublishPrintTicketHelperInterface(&helper), c.expected);
        EXPECT_EQ(helper.questions(), c.questions);
        EXPECT_EQ(plugin->TicketHelper() != nullptr, c.kept);
        if (c.kept) {
            FakeTicketHelper second(&IID_IPrintCoreHelperUni);
            EXPECT_EQ(plugin->PublishPrintTicketHelperInterface(&second), S_OK);
            EXPECT_EQ(second.questions(), 0);
            EXPECT_EQ(plugin->TicketHelper(), &helper);
        }
        plugin->Release();
        plugin.plugin = nullptr;
        EXPECT_EQ(helper.refs(), 1u);
    }
    EXPECT_EQ(m_plugin->PublishPrintTicketHelperInterface(nullptr), E_INVALIDARG);
}

TEST_F(PrintTicketTest, DefaultNamespaceIsThePrivateOne) {
    Text uri;
    ASSERT_EQ(m_plugin->QueryDeviceDefaultNamespace(&uri.value), S_OK);
    const std::u16string text = uri.str();
    EXPECT_EQ(text.rfind(u"http://", 0), 0u);
    const std::u16string tail = u"/trelkit/V3.00/";
    ASSERT_GT(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_EQ(m_plugin->QueryDeviceDefaultNamespace(nullptr), E_INVALIDARG);

    m_plugin->TicketHooks().m_queryNamespace = nullptr;
    Text none;
    EXPECT_EQ(m_plugin->QueryDeviceDefaultNamespace(&none.value), E_NOTIMPL);
}

constexpr char16_t kTicket[] =
    u"<psf:PrintTicket " NS_DECLARATIONS XSI_DECLARATION u"version=\"1\">"
    u"<psf:Feature name=\"psk:JobInputBin\"><psf:Option name=\"psk:Manual\"/></psf:Feature>"
    u"</psf:PrintTicket>";

TEST_F(PrintTicketTest, ConversionsAndValidationLeaveTheTicketAlone) {
    Ref<IXMLDOMDocument2> ticket = Document(kTicket);
    const std::u16string before = XmlOf(ticket.p);
    DEVMODEW devmode{};
    devmode.dmSize = sizeof devmode;
    EXPECT_EQ(m_plugin->ValidatePrintTicket(ticket.p), static_cast<HRESULT>(0x00040001));
    EXPECT_EQ(m_plugin->ConvertDevModeToPrintTicket(sizeof devmode, &devmode, 0, nullptr, ticket.p), S_OK);
    EXPECT_EQ(m_plugin->ConvertPrintTicketToDevMode(ticket.p, sizeof devmode, &devmode, 0, nullptr), S_OK);
    EXPECT_EQ(m_plugin->ExpandIntentOptions(ticket.p), S_OK);
    EXPECT_EQ(XmlOf(ticket.p), before);
    EXPECT_EQ(devmode.dmFields, 0u);
}

// A PrintCapabilities document with the four trimmed features and one left alone. {A}, {B}, {C}
// are the indices of three user forms added by the test, {N} the printer's form count.
constexpr char16_t kCapabilities[] =
    u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    u"<psf:PrintCapabilities " NS_DECLARATIONS XSI_DECLARATION u"version=\"1\">"
    u"<psf:Feature name=\"psk:JobInputBin\">"
    u"<psf:Property name=\"psf:SelectionType\"><psf:Value xsi:type=\"xsd:QName\">psk:PickOne</psf:Value></psf:Property>"
    u"<psf:Option name=\"psk:AutoSelect\"/>"
    u"<psf:Option name=\"ns0000:TRAY1\"/>"
    u"<psf:Option name=\"psk:Manual\"/>"
    u"</psf:Feature>"
    u"<psf:Feature name=\"psk:PageMediaType\">"
    u"<psf:Option name=\"psk:Plain\"/>"
    u"<psf:Option name=\"ns0000:mediatype_plain\"/>"
    u"<psf:Option name=\"ns0000:MEDIATYPE_THICK\"/>"
    u"</psf:Feature>"
    u"<psf:Feature name=\"psk:JobNUpAllDocumentsContiguously\">"
    u"<psf:Feature name=\"psk:PresentationDirection\"><psf:Option name=\"psk:RightBottom\"/></psf:Feature>"
    u"<psf:Option><psf:ScoredProperty name=\"psk:PagesPerSheet\">"
    u"<psf:Value xsi:type=\"xsd:integer\">2</psf:Value></psf:ScoredProperty></psf:Option>"
    u"<psf:Option constrained=\"psk:None\"/>"
    u"</psf:Feature>"
    u"<psf:Feature name=\"PSK:PAGEMEDIASIZE\">"
    u"<psf:Option name=\"psk:ISOA4\"/>"
    u"<psf:Option name=\"ns0000:UserForm{A}\"/>"
    u"<psf:Option name=\"ns0000:UserForm{B}\"/>"
    u"<psf:Option name=\"NS0000:USERFORM{C}\"/>"
    u"<psf:Option name=\"ns0000:UserForm3\"/>"
    u"<psf:Option name=\"ns0000:UserForm-1\"/>"
    u"<psf:Option name=\"ns0000:UserForm-2\"/>"
    u"<psf:Option name=\"ns0000:UserForm{N}\"/>"
    u"<psf:Option name=\"ns0000:UserForm99999999999\"/>"
    u"<psf:Option name=\"ns0000:UserFormX\"/>"
    u"<psf:Option name=\"ns0000:UserForm\"/>"
    u"</psf:Feature>"
    u"<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:Portrait\"/>"
    u"<psf:Option name=\"psk:Landscape\"/></psf:Feature>"
    u"</psf:PrintCapabilities>";

// What the provider leaves of it: one paper source, plain media, the N-up feature empty, and of the
// user forms only the marked one {A}, -1 and the options that name no form of the printer.
constexpr char16_t kTrimmed[] =
    u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    u"<psf:PrintCapabilities " NS_DECLARATIONS XSI_DECLARATION u"version=\"1\">"
    u"<psf:Feature name=\"psk:JobInputBin\">"
    u"<psf:Option name=\"psk:AutoSelect\"/>"
    u"</psf:Feature>"
    u"<psf:Feature name=\"psk:PageMediaType\">"
    u"<psf:Option name=\"ns0000:mediatype_plain\"/>"
    u"</psf:Feature>"
    u"<psf:Feature name=\"psk:JobNUpAllDocumentsContiguously\"/>"
    u"<psf:Feature name=\"PSK:PAGEMEDIASIZE\">"
    u"<psf:Option name=\"psk:ISOA4\"/>"
    u"<psf:Option name=\"ns0000:UserForm{A}\"/>"
    u"<psf:Option name=\"ns0000:UserForm-1\"/>"
    u"<psf:Option name=\"ns0000:UserForm-2\"/>"
    u"<psf:Option name=\"ns0000:UserForm{N}\"/>"
    u"<psf:Option name=\"ns0000:UserForm99999999999\"/>"
    u"<psf:Option name=\"ns0000:UserFormX\"/>"
    u"<psf:Option name=\"ns0000:UserForm\"/>"
    u"</psf:Feature>"
    u"<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:Portrait\"/>"
    u"<psf:Option name=\"psk:Landscape\"/></psf:Feature>"
    u"</psf:PrintCapabilities>";

class CapabilitiesTrim : public PrintTicketTest {
protected:
    void SetUp() override {
        PrintTicketTest::SetUp();
        // Three user forms after the machine's built-in ones: A marked 1 under CUSTOMMEDIA, B
        // marked 2, C not marked.
        const std::u16string names[] = {u"Custom A", u"Custom B", u"Custom C"};
        for (const std::u16string& name : names) {
            std::u16string formName = name;
            FORM_INFO_1W form{FORM_USER, formName.data(), {100000, 150000}, {0, 0, 100000, 150000}};
            ASSERT_TRUE(AddFormW(printer(), 1, reinterpret_cast<LPBYTE>(&form)));
        }
        DWORD one = 1, two = 2;
        ASSERT_EQ(SetPrinterDataExW(printer(), u"CUSTOMMEDIA", u"Custom A", REG_DWORD,
                                    reinterpret_cast<LPBYTE>(&one), sizeof one),
                  ERROR_SUCCESS);
        ASSERT_EQ(SetPrinterDataExW(printer(), u"CUSTOMMEDIA", u"Custom B", REG_DWORD,
                                    reinterpret_cast<LPBYTE>(&two), sizeof two),
                  ERROR_SUCCESS);
        DWORD needed = 0, count = 0;
        EnumFormsW(printer(), 1, nullptr, 0, &needed, &count);
        std::vector<BYTE> buffer(needed);
        ASSERT_TRUE(EnumFormsW(printer(), 1, buffer.data(), needed, &needed, &count));
        m_formCount = count;
        const auto* forms = reinterpret_cast<const FORM_INFO_1W*>(buffer.data());
        for (DWORD i = 0; i < count; ++i) {
            for (int n = 0; n < 3; ++n) {
                if (std::u16string(forms[i].pName) == names[n]) m_index[n] = Number(i);
            }
        }
        ASSERT_FALSE(m_index[2].empty());
        ASSERT_NE(m_index[0], u"3");  // form 3 is one of the machine's built-in forms
    }

    std::u16string Fill(const char16_t* text) const {
        std::u16string filled = Replace(text, u"{A}", m_index[0]);
        filled = Replace(filled, u"{B}", m_index[1]);
        filled = Replace(filled, u"{C}", m_index[2]);
        return Replace(filled, u"{N}", Number(m_formCount));
    }

    DWORD m_formCount = 0;
    std::u16string m_index[3];
};

TEST_F(CapabilitiesTrim, LeavesOnlyWhatTheDriverOffers) {
    Bind();
    Ref<IXMLDOMDocument2> ticket = Document(kTicket);
    Ref<IXMLDOMDocument2> capabilities = Document(Fill(kCapabilities));
    EXPECT_EQ(m_plugin->CompletePrintCapabilities(ticket.p, capabilities.p), S_OK);
    Ref<IXMLDOMDocument2> expected = Document(Fill(kTrimmed));
    EXPECT_EQ(XmlOf(capabilities.p), XmlOf(expected.p));

    // The scan kept what it read of the document.
    CoPrintTicketExt* binding = m_plugin->TicketBinding();
    ASSERT_NE(binding, nullptr);
    EXPECT_EQ(binding->DocumentKind(), 2u);
    const std::u16string prefixes[] = {u"xsd:", u"xsi:", u"psf:", u"psk:"};
    for (int which = 0; which < 4; ++which) EXPECT_EQ(std::u16string(binding->Prefix(which)), prefixes[which]);
    EXPECT_NE(binding->Root(), nullptr);
    VARIANT value;
    Text property{SysAllocString(u"SelectionNamespaces")};
    ASSERT_EQ(capabilities->getProperty(property.value, &value), S_OK);
    EXPECT_EQ(std::u16string(value.bstrVal),
              u"xmlns:psf='http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework'");
    VariantClear(&value);
}

TEST_F(CapabilitiesTrim, UserFormsStayWithoutForms) {
    // A binding whose printer lists no forms (no printer at all) takes no user form away.
    ASSERT_EQ(m_plugin->PublishPrintTicketHelperInterface(&m_helper), S_OK);
    OEMPTOPTS options = 0;
    INT flags = 0, count = 0;
    ASSERT_EQ(m_plugin->BindPrinter(reinterpret_cast<HANDLE>(0x1234), 1, &options, &flags, &count, nullptr), S_OK);
    const std::u16string sizes =
        u"<psf:PrintCapabilities " NS_DECLARATIONS XSI_DECLARATION u"version=\"1\">"
        u"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"ns0000:UserForm3\"/>"
        u"<psf:Option name=\"ns0000:UserForm0\"/></psf:Feature></psf:PrintCapabilities>";
    Ref<IXMLDOMDocument2> capabilities = Document(sizes);
    Ref<IXMLDOMDocument2> expected = Document(sizes);
    EXPECT_EQ(m_plugin->CompletePrintCapabilities(nullptr, capabilities.p), S_OK);
    EXPECT_EQ(XmlOf(capabilities.p), XmlOf(expected.p));
}

TEST_F(PrintTicketTest, WalksStopAtTheFirstNamelessNode) {
    Bind();
    // Media types: the walk from the last option stops at the nameless one, so the option before
    // it stays. Features: the nameless feature ends the walk before the paper sources.
    Ref<IXMLDOMDocument2> capabilities = Document(
        u"<psf:PrintCapabilities " NS_DECLARATIONS XSI_DECLARATION u"version=\"1\">"
        u"<psf:Feature name=\"psk:PageMediaType\"><psf:Option name=\"psk:Plain\"/><psf:Option/>"
        u"<psf:Option name=\"ns0000:MEDIATYPE_PLAIN\"/><psf:Option name=\"ns0000:MEDIATYPE_THICK\"/></psf:Feature>"
        u"<psf:Feature/>"
        u"<psf:Feature name=\"psk:JobInputBin\"><psf:Option name=\"psk:AutoSelect\"/>"
        u"<psf:Option name=\"psk:Manual\"/></psf:Feature>"
        u"</psf:PrintCapabilities>");
    Ref<IXMLDOMDocument2> expected = Document(
        u"<psf:PrintCapabilities " NS_DECLARATIONS XSI_DECLARATION u"version=\"1\">"
        u"<psf:Feature name=\"psk:PageMediaType\"><psf:Option name=\"psk:Plain\"/><psf:Option/>"
        u"<psf:Option name=\"ns0000:MEDIATYPE_PLAIN\"/></psf:Feature>"
        u"<psf:Feature/>"
        u"<psf:Feature name=\"psk:JobInputBin\"><psf:Option name=\"psk:AutoSelect\"/>"
        u"<psf:Option name=\"psk:Manual\"/></psf:Feature>"
        u"</psf:PrintCapabilities>");
    EXPECT_EQ(m_plugin->CompletePrintCapabilities(nullptr, capabilities.p), S_OK);
    EXPECT_EQ(XmlOf(capabilities.p), XmlOf(expected.p));
}

TEST_F(PrintTicketTest, DocumentsTheScanRefusesStayUnchanged) {
    struct Case {
        const char* what;
        std::u16string xml;
    };
    const std::u16string features =
        u"<psf:Feature name=\"psk:JobInputBin\"><psf:Option name=\"psk:AutoSelect\"/>"
        u"<psf:Option name=\"psk:Manual\"/></psf:Feature>";
    const Case cases[] = {
        {"no xsi prefix", u"<psf:PrintCapabilities " NS_DECLARATIONS u"version=\"1\">" + features +
                              u"</psf:PrintCapabilities>"},
        {"another root", u"<psf:Capabilities " NS_DECLARATIONS XSI_DECLARATION u"version=\"1\">" + features +
                             u"</psf:Capabilities>"},
        {"not XML", u"<psf:PrintCapabilities " NS_DECLARATIONS XSI_DECLARATION u">" + features},
        {"nothing", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bind();  // a fresh binding: no document kind yet
        Ref<IXMLDOMDocument2> capabilities = Document(c.xml);
        const std::u16string before = XmlOf(capabilities.p);
        EXPECT_EQ(m_plugin->CompletePrintCapabilities(nullptr, capabilities.p), static_cast<HRESULT>(0x80004004));
        EXPECT_EQ(XmlOf(capabilities.p), before);
        EXPECT_EQ(m_plugin->TicketBinding()->Prefix(1), nullptr);
        EXPECT_EQ(m_plugin->TicketBinding()->Root(), nullptr);
    }
}

TEST_F(PrintTicketTest, LaterScansKeepPrefixesNotDeclaredAgain) {
    Bind();
    Ref<IXMLDOMDocument2> ticket = Document(
        u"<t:PrintTicket xmlns:t=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" "
        u"xmlns:k=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" "
        u"xmlns:s=\"http://www.w3.org/2001/XMLSchema\" xmlns:i=\"http://www.w3.org/2001/XMLSchema-instance\" "
        u"version=\"1\"/>");
    ASSERT_EQ(m_plugin->CompletePrintCapabilities(nullptr, ticket.p), S_OK);
    CoPrintTicketExt* binding = m_plugin->TicketBinding();
    EXPECT_EQ(binding->DocumentKind(), 1u);
    EXPECT_EQ(std::u16string(binding->Prefix(1)), u"i:");

    // Without an xsi declaration the earlier prefix stands (with one colon), the rest are new.
    Ref<IXMLDOMDocument2> capabilities =
        Document(u"<psf:PrintCapabilities " NS_DECLARATIONS u"version=\"1\"/>");
    ASSERT_EQ(m_plugin->CompletePrintCapabilities(nullptr, capabilities.p), S_OK);
    EXPECT_EQ(binding->DocumentKind(), 2u);
    const std::u16string prefixes[] = {u"xsd:", u"i:", u"psf:", u"psk:"};
    for (int which = 0; which < 4; ++which) EXPECT_EQ(std::u16string(binding->Prefix(which)), prefixes[which]);

    // An unknown root keeps the kind of the last document.
    Ref<IXMLDOMDocument2> other = Document(u"<psf:Other " NS_DECLARATIONS XSI_DECLARATION u"/>");
    EXPECT_EQ(m_plugin->CompletePrintCapabilities(nullptr, other.p), S_OK);
    EXPECT_EQ(binding->DocumentKind(), 2u);
}

TEST_F(PrintTicketTest, CompletionNeedsADocumentAndABinding) {
    Ref<IXMLDOMDocument2> capabilities = Document(u"<psf:PrintCapabilities " NS_DECLARATIONS XSI_DECLARATION u"/>");
    EXPECT_EQ(m_plugin->CompletePrintCapabilities(nullptr, capabilities.p), E_FAIL);  // not bound yet
    Bind();
    EXPECT_EQ(m_plugin->CompletePrintCapabilities(nullptr, nullptr), E_INVALIDARG);

    // Without its hook the provider answers the scan's result.
    m_plugin->TicketHooks().m_completeCapabilities = nullptr;
    EXPECT_EQ(m_plugin->CompletePrintCapabilities(nullptr, capabilities.p), S_OK);
}

TEST_F(PrintTicketTest, TheDriverBindsAndCompletesThroughTheLoadedLibrary) {
    palvex::hosts::PluginLibrary library(TOVQEBUI_LIBRARY);
    ASSERT_TRUE(library.loaded()) << library.error();
    palvex::hosts::TicketHost host(library, kPrinter);
    ASSERT_TRUE(host.started()) << host.error();
    const std::vector<std::pair<std::string, HRESULT>> calls = {
        {"DllGetClassObject", S_OK}, {"CreateInstance", S_OK}, {"GetSupportedVersions", S_OK},
        {"PublishPrintTicketHelperInterface", S_OK}, {"BindPrinter", S_OK}, {"QueryDeviceDefaultNamespace", S_OK}};
    EXPECT_EQ(host.calls(), calls);
    const std::u16string tail = u"/trelkit/V3.00/";
    ASSERT_GT(host.deviceNamespace().size(), tail.size());
    EXPECT_EQ(host.deviceNamespace().substr(host.deviceNamespace().size() - tail.size()), tail);

    const std::filesystem::path file = m_machine.root() / "caps.xml";
    const std::u16string caps =
        u"<psf:PrintCapabilities " NS_DECLARATIONS XSI_DECLARATION u"version=\"1\">"
        u"<psf:Feature name=\"psk:JobInputBin\"><psf:Option name=\"psk:AutoSelect\"/>"
        u"<psf:Option name=\"psk:Manual\"/></psf:Feature></psf:PrintCapabilities>";
    std::ofstream(file) << palvex::ToUtf8(caps);
    std::string error;
    Ref<IXMLDOMDocument2> document;
    document.p = palvex::hosts::LoadXmlDocument(palvex::FromUtf8(file.string()), &error);
    ASSERT_NE(document.p, nullptr) << error;
    EXPECT_EQ(host.CompleteCapabilities(nullptr, document.p), S_OK);
    Ref<IXMLDOMDocument2> expected = Document(
        u"<psf:PrintCapabilities " NS_DECLARATIONS XSI_DECLARATION u"version=\"1\">"
        u"<psf:Feature name=\"psk:JobInputBin\"><psf:Option name=\"psk:AutoSelect\"/></psf:Feature>"
        u"</psf:PrintCapabilities>");
    EXPECT_EQ(XmlOf(document.p), XmlOf(expected.p));

    // A file that is not XML is refused with the parser's reason.
    std::ofstream(file) << "<psf:PrintCapabilities";
    EXPECT_EQ(palvex::hosts::LoadXmlDocument(palvex::FromUtf8(file.string()), &error), nullptr);
    EXPECT_FALSE(error.empty());
    std::filesystem::remove(file);
}

}  // namespace
}  // namespace uitest
