// PrintCapabilities and PrintTicket documents from outside: the XML DOM's loader, the provider's
// namespace scan and its trim (without a printer, so no form is looked up). Whatever the text, every
// call answers, and a document that loaded still writes out as XML that loads again.
#include <cstdlib>
#include <string>

#include <palvex/utf8.h>
#include <win/msxml2.h>
#include <win/windows.h>

#include "ticket/coprintticketext.h"
#include "ticket/trim_capabilities.h"

namespace {

IXMLDOMDocument2* NewDocument() {
    IXMLDOMDocument2* document = nullptr;
    if (FAILED(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                                reinterpret_cast<void**>(&document))))
        std::abort();
    return document;
}

bool Load(IXMLDOMDocument2* document, const std::u16string& text) {
    BSTR xml = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    const HRESULT answer = document->loadXML(xml, &loaded);
    SysFreeString(xml);
    if ((answer == S_OK) != (loaded == VARIANT_TRUE)) std::abort();
    return answer == S_OK;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = palvex::FromUtf8(std::string(reinterpret_cast<const char*>(data), size));
    IXMLDOMDocument2* document = NewDocument();
    const bool loaded = Load(document, text);

    auto* binding = new CoPrintTicketExt;
    if (SUCCEEDED(ScanNamespaces(binding, document))) {
        if (!loaded) std::abort();  // an empty document has no namespaces to scan
        TrimPrintCapabilities(nullptr, document, nullptr);
    }
    binding->Release();

    if (loaded) {
        BSTR xml = nullptr;
        if (FAILED(document->get_xml(&xml))) std::abort();
        IXMLDOMDocument2* again = NewDocument();
        if (!Load(again, std::u16string(xml, SysStringLen(xml)))) std::abort();
        again->Release();
        SysFreeString(xml);
    }
    document->Release();
    return 0;
}
