// The model's PrintTicket hooks.
#include "ticket/ticket_hooks.h"

#include "ticket/print_schema.h"
#include "ticket/trim_capabilities.h"

namespace {

HRESULT TicketToDevModeUnhandled(IXMLDOMDocument2*, ULONG, PDEVMODEW, ULONG, PVOID) {
    return E_NOTIMPL;
}

HRESULT DevModeToTicketUnhandled(ULONG, PDEVMODEW, ULONG, PVOID, IXMLDOMDocument2*) {
    return E_NOTIMPL;
}

HRESULT TicketUnhandled(IXMLDOMDocument2*) {
    return E_NOTIMPL;
}

void NothingToDo() {}

}  // namespace

HRESULT QueryPrivateNamespace(BSTR* namespaceUri) {
    if (!namespaceUri) return E_INVALIDARG;
    *namespaceUri = SysAllocString(kPrivateNamespaceUri);
    return *namespaceUri ? S_OK : E_OUTOFMEMORY;
}

void FillTicketHooks(CoUIPluginTicketHooks* hooks) {
    hooks->m_queryNamespace = QueryPrivateNamespace;
    hooks->m_ticketToDevMode = TicketToDevModeUnhandled;
    hooks->m_devModeToTicket = DevModeToTicketUnhandled;
    hooks->m_completeCapabilities = TrimPrintCapabilities;
    hooks->m_expandIntentOptions = TicketUnhandled;
    hooks->m_validateTicket = TicketUnhandled;
    hooks->m_construct = NothingToDo;
    hooks->m_reserved = NothingToDo;
}
