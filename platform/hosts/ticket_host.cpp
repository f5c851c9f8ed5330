#include "ticket_host.h"

#include <new>

#include <palvex/utf8.h>

namespace palvex::hosts {

namespace {

// The driver's core helper as a provider sees it: an object that answers the helper interface.
// The provider only keeps it, so it needs no members of its own here.
class CoreHelper final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPrintCoreHelperUni)) {
            *object = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_refCount)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG count = InterlockedDecrement(&m_refCount);
        if (count == 0) delete this;
        return static_cast<ULONG>(count);
    }

private:
    ~CoreHelper() = default;
    LONG volatile m_refCount = 1;
};

std::string Narrow(const WCHAR* text, size_t length) {
    return palvex::ToUtf8(std::u16string_view(text, length));
}

}  // namespace

TicketHost::TicketHost(const PluginLibrary& library, const std::u16string& printerName) {
    Start(&library, nullptr, printerName);
}

TicketHost::TicketHost(IClassFactory* factory, const std::u16string& printerName) {
    Start(nullptr, factory, printerName);
}

TicketHost::~TicketHost() {
    if (m_provider) m_provider->Release();
    if (m_coreHelper) m_coreHelper->Release();
    if (m_printer) ClosePrinter(m_printer);
}

void TicketHost::Start(const PluginLibrary* library, IClassFactory* factory, const std::u16string& printerName) {
    void* object = nullptr;
    if (!StartPlugin(printerName, &m_printer, library, factory, CLSID_OEMPTPROVIDER, IID_IPrintOemPrintTicketProvider,
                     [this](const char* call, HRESULT answer) { Record(call, answer); }, &object, &m_error))
        return;
    m_provider = static_cast<IPrintOemPrintTicketProvider*>(object);

    INT* versions = nullptr;
    INT count = 0;
    HRESULT answer = m_provider->GetSupportedVersions(m_printer, &versions, &count);
    Record("GetSupportedVersions", answer);
    bool versionOne = false;
    for (INT i = 0; SUCCEEDED(answer) && versions && i < count; ++i) versionOne = versionOne || versions[i] == 1;
    CoTaskMemFree(versions);
    if (!versionOne) {
        m_error = "the provider does not support PrintTicket version 1";
        return;
    }

    m_coreHelper = new (std::nothrow) CoreHelper;
    answer = m_coreHelper ? m_provider->PublishPrintTicketHelperInterface(m_coreHelper) : E_OUTOFMEMORY;
    Record("PublishPrintTicketHelperInterface", answer);
    if (FAILED(answer)) {
        m_error = "PublishPrintTicketHelperInterface failed";
        return;
    }

    OEMPTOPTS options = 0;
    INT devModeFlags = 0;
    INT namespaceCount = 0;
    BSTR* namespaces = nullptr;
    answer = m_provider->BindPrinter(m_printer, 1, &options, &devModeFlags, &namespaceCount, &namespaces);
    Record("BindPrinter", answer);
    for (INT i = 0; namespaces && i < namespaceCount; ++i) SysFreeString(namespaces[i]);
    CoTaskMemFree(namespaces);
    if (FAILED(answer)) {
        m_error = "BindPrinter failed";
        return;
    }

    BSTR uri = nullptr;
    answer = m_provider->QueryDeviceDefaultNamespace(&uri);
    Record("QueryDeviceDefaultNamespace", answer);
    if (SUCCEEDED(answer) && uri) m_deviceNamespace.assign(uri, SysStringLen(uri));
    SysFreeString(uri);
    m_started = true;
}

HRESULT TicketHost::CompleteCapabilities(IXMLDOMDocument2* ticket, IXMLDOMDocument2* capabilities) {
    if (!m_provider) return E_FAIL;
    const HRESULT answer = m_provider->CompletePrintCapabilities(ticket, capabilities);
    Record("CompletePrintCapabilities", answer);
    return answer;
}

IXMLDOMDocument2* LoadXmlDocument(const std::u16string& path, std::string* error) {
    IXMLDOMDocument2* document = nullptr;
    if (FAILED(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                                reinterpret_cast<void**>(&document)))) {
        *error = "no XML document";
        return nullptr;
    }
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocString(path.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT answer = document->load(source, &loaded);
    VariantClear(&source);
    if (answer == S_OK && loaded == VARIANT_TRUE) return document;
    IXMLDOMParseError* parseError = nullptr;
    *error = "not an XML document";
    if (SUCCEEDED(document->get_parseError(&parseError)) && parseError) {
        BSTR reason = nullptr;
        LONG line = 0;
        parseError->get_line(&line);
        if (SUCCEEDED(parseError->get_reason(&reason)) && reason)
            *error = Narrow(reason, SysStringLen(reason)) + (line ? " (line " + std::to_string(line) + ")" : "");
        SysFreeString(reason);
        parseError->Release();
    }
    document->Release();
    return nullptr;
}

std::string XmlText(IXMLDOMDocument2* document) {
    BSTR xml = nullptr;
    if (FAILED(document->get_xml(&xml))) return {};
    std::string text = Narrow(xml, SysStringLen(xml));
    SysFreeString(xml);
    return text;
}

}  // namespace palvex::hosts
