// CoPrintTicketExt: what one BindPrinter call binds — the printer, the PrintTicket helper, and what
// the last namespace scan learnt of a document (its kind, the prefixes of the four standard
// namespaces with ":" appended, its root element).
#pragma once

#include <win/msxml2.h>
#include <win/windows.h>

#include "ticket/print_schema.h"
#include "unknown_only_object.h"

// The kind of the last scanned document.
enum TicketDocumentKind : DWORD {
    kUnknownDocument = 0,
    kPrintTicketDocument = 1,
    kPrintCapabilitiesDocument = 2,
};

class CoPrintTicketExt final : public UnknownOnlyObject {
public:
    CoPrintTicketExt() : UnknownOnlyObject(1) {}

    void SetPrinter(HANDLE printer) { m_printer = printer; }
    HANDLE Printer() const { return m_printer; }
    // Keeps the helper with a reference of its own (null keeps none).
    void SetHelper(IUnknown* helper);

    DWORD DocumentKind() const { return m_documentKind; }
    void SetDocumentKind(DWORD kind) { m_documentKind = kind; }
    // The prefix of a standard namespace with ":" appended; null until a scan found one.
    BSTR Prefix(int which) const { return m_prefixes[which]; }
    // Takes ownership of the text.
    void SetPrefix(int which, BSTR prefix);
    IXMLDOMElement* Root() const { return m_root; }
    // Keeps the element with a reference of its own.
    void SetRoot(IXMLDOMElement* root);

private:
    ~CoPrintTicketExt() override;

    HANDLE m_printer = nullptr;
    IUnknown* m_helper = nullptr;
    DWORD m_documentKind = kUnknownDocument;
    BSTR m_prefixes[kTicketNamespaceCount] = {};
    IXMLDOMElement* m_root = nullptr;
};

// Reads the document element's namespace declarations into the binding. E_ABORT when the
// document has no element, is neither a PrintTicket nor a PrintCapabilities document (and none
// was scanned before), or leaves one of the four standard prefixes unknown; then the binding's
// prefixes and root stay as they were.
HRESULT ScanNamespaces(CoPrintTicketExt* binding, IXMLDOMDocument2* document);
