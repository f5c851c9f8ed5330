// CoUIPlugin's PrintTicket provider face. The provider converts nothing: it names the driver's
// private namespace and trims the PrintCapabilities document, through CoUIPluginTicketHooks.
#include <new>

#include "couiplugin.h"
#include "ticket/coprintticketext.h"
#include "ticket/print_schema.h"

namespace {

// Offers a call to its hook; an empty entry or a hook that passes the call on gives fallback.
template <class Hook, class... Args>
HRESULT HookOr(HRESULT fallback, Hook hook, Args... args) {
    if (!hook) return fallback;
    const HRESULT result = hook(args...);
    return UiHookPassesOn(result) ? fallback : result;
}

}  // namespace

STDMETHODIMP CoUIPlugin::GetSupportedVersions(HANDLE, INT* versions[], INT* count) {
    if (!versions || !count) return E_INVALIDARG;
    auto* list = static_cast<INT*>(CoTaskMemAlloc(sizeof(INT)));
    if (!list) {
        *versions = nullptr;
        *count = 0;
        return E_OUTOFMEMORY;
    }
    list[0] = kSupportedTicketVersion;
    *versions = list;
    *count = 1;
    return S_OK;
}

STDMETHODIMP CoUIPlugin::BindPrinter(HANDLE printer, INT version, POEMPTOPTS options, INT* devModeFlags,
                                     INT* namespaceCount, BSTR** namespaces) {
    if (!printer || !options || !devModeFlags || !namespaceCount) return E_INVALIDARG;
    auto* binding = new (std::nothrow) CoPrintTicketExt;
    if (!binding) return E_OUTOFMEMORY;
    if (m_ticketBinding) m_ticketBinding->Release();
    m_ticketBinding = binding;
    if (!m_ticketHelper) return E_FAIL;  // the driver publishes its helper before it binds

    binding->SetPrinter(printer);
    binding->SetHelper(m_ticketHelper);
    *devModeFlags = 0;
    *namespaceCount = 0;
    if (namespaces) *namespaces = nullptr;
    if (version != kSupportedTicketVersion) return E_VERSION_NOT_SUPPORTED;
    *options = OEMPT_DEFAULT;
    return S_OK;
}

STDMETHODIMP CoUIPlugin::PublishPrintTicketHelperInterface(IUnknown* helper) {
    if (!helper) return E_INVALIDARG;
    if (m_ticketHelper) return S_OK;
    void* asked = nullptr;
    HRESULT result = helper->QueryInterface(IID_IPrintCoreHelperUni, &asked);
    if (result == E_NOINTERFACE) {
        result = helper->QueryInterface(IID_IPrintCoreHelperPS, &asked);
        if (result == E_NOINTERFACE) return S_OK;  // a helper the provider does not use
    }
    if (SUCCEEDED(result)) {
        m_ticketHelper = static_cast<IUnknown*>(asked);
    } else if (asked) {
        static_cast<IUnknown*>(asked)->Release();
    }
    return result;
}

STDMETHODIMP CoUIPlugin::QueryDeviceDefaultNamespace(BSTR* namespaceUri) {
    if (!namespaceUri) return E_INVALIDARG;
    return HookOr(E_NOTIMPL, m_ticketHooks.m_queryNamespace, namespaceUri);
}

STDMETHODIMP CoUIPlugin::ConvertPrintTicketToDevMode(IXMLDOMDocument2* ticket, ULONG devmodeSize, PDEVMODEW devmode,
                                                     ULONG privateSize, PVOID privateDevmode) {
    return HookOr(S_OK, m_ticketHooks.m_ticketToDevMode, ticket, devmodeSize, devmode, privateSize, privateDevmode);
}

STDMETHODIMP CoUIPlugin::ConvertDevModeToPrintTicket(ULONG devmodeSize, PDEVMODEW devmode, ULONG privateSize,
                                                     PVOID privateDevmode, IXMLDOMDocument2* ticket) {
    return HookOr(S_OK, m_ticketHooks.m_devModeToTicket, devmodeSize, devmode, privateSize, privateDevmode, ticket);
}

STDMETHODIMP CoUIPlugin::CompletePrintCapabilities(IXMLDOMDocument2* ticket, IXMLDOMDocument2* capabilities) {
    if (!capabilities) return E_INVALIDARG;
    // Without a binding there is nowhere to keep the scan: the driver binds before it asks.
    if (!m_ticketBinding) return E_FAIL;
    const HRESULT scanned = ScanNamespaces(m_ticketBinding, capabilities);
    if (FAILED(scanned)) return scanned;
    return HookOr(scanned, m_ticketHooks.m_completeCapabilities, ticket, capabilities, m_ticketBinding->Printer());
}

STDMETHODIMP CoUIPlugin::ExpandIntentOptions(IXMLDOMDocument2* ticket) {
    return HookOr(S_OK, m_ticketHooks.m_expandIntentOptions, ticket);
}

STDMETHODIMP CoUIPlugin::ValidatePrintTicket(IXMLDOMDocument2* ticket) {
    return HookOr(S_NO_CONFLICT, m_ticketHooks.m_validateTicket, ticket);
}
