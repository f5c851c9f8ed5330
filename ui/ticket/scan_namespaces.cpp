// ScanNamespaces: which document the provider was handed and the prefixes it gives the standard
// namespaces, read from the declarations on its document element.
#include "ticket/coprintticketext.h"
#include "ticket/ticket_refs.h"

namespace {

// The prefix with ":" appended, or null when there is no memory.
BSTR WithColon(BSTR prefix) {
    const UINT length = SysStringLen(prefix);
    BSTR text = SysAllocStringLen(nullptr, length + 1);
    if (!text) return nullptr;
    for (UINT i = 0; i < length; ++i) text[i] = prefix[i];
    text[length] = u':';
    return text;
}

}  // namespace

HRESULT ScanNamespaces(CoPrintTicketExt* binding, IXMLDOMDocument2* document) {
    if (!binding || !document) return E_INVALIDARG;
    IXMLDOMElement* rootPointer = nullptr;
    HRESULT result = document->get_documentElement(&rootPointer);
    ComRef<IXMLDOMElement> root(rootPointer);
    if (FAILED(result) || !root) return E_ABORT;

    BSTR baseNamePointer = nullptr;
    result = root->get_baseName(&baseNamePointer);
    OwnedBstr baseName(baseNamePointer);
    if (FAILED(result)) return result;
    if (SameText(baseName.get(), kPrintCapabilitiesRoot)) {
        binding->SetDocumentKind(kPrintCapabilitiesDocument);
    } else if (SameText(baseName.get(), kPrintTicketRoot)) {
        binding->SetDocumentKind(kPrintTicketDocument);
    }
    if (binding->DocumentKind() == kUnknownDocument) return E_ABORT;

    IXMLDOMNamedNodeMap* attributesPointer = nullptr;
    result = root->get_attributes(&attributesPointer);
    ComRef<IXMLDOMNamedNodeMap> attributes(attributesPointer);
    if (FAILED(result)) return result;
    LONG count = 0;
    if (attributes) result = attributes->get_length(&count);
    if (FAILED(result)) return result;

    // The prefixes this document declares; the binding takes them only when the scan succeeds.
    OwnedBstr declared[kTicketNamespaceCount];
    for (LONG index = 0; index < count; ++index) {
        IXMLDOMNode* attributePointer = nullptr;
        result = attributes->get_item(index, &attributePointer);
        ComRef<IXMLDOMNode> attribute(attributePointer);
        if (FAILED(result) || !attribute) continue;
        BSTR prefixPointer = nullptr;
        const HRESULT nameResult = attribute->get_baseName(&prefixPointer);
        OwnedBstr prefix(prefixPointer);
        if (FAILED(nameResult)) return nameResult;
        BSTR uriPointer = nullptr;
        const HRESULT textResult = attribute->get_text(&uriPointer);
        OwnedBstr uri(uriPointer);
        if (FAILED(textResult)) return textResult;
        for (int which = 0; which < kTicketNamespaceCount; ++which) {
            if (!SameText(uri.get(), kStandardNamespaceUris[which])) continue;
            declared[which].reset(WithColon(prefix.get()));
            if (!declared[which]) return E_OUTOFMEMORY;
        }
    }
    for (int which = 0; which < kTicketNamespaceCount; ++which) {
        if (!declared[which] && SysStringLen(binding->Prefix(which)) == 0) return E_ABORT;
    }
    for (int which = 0; which < kTicketNamespaceCount; ++which) {
        if (declared[which]) binding->SetPrefix(which, declared[which].release());
    }
    binding->SetRoot(root.get());
    return result;
}
