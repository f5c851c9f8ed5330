// CoUIPlugin's PrintTicket provider face. The provider converts nothing and completes nothing yet:
// every method answers E_NOTIMPL, so the universal driver does the ticket work itself.
#include "couiplugin.h"

STDMETHODIMP CoUIPlugin::GetSupportedVersions(HANDLE, INT*[], INT*) {
    return E_NOTIMPL;
}

STDMETHODIMP CoUIPlugin::BindPrinter(HANDLE, INT, POEMPTOPTS, INT*, INT*, BSTR**) {
    return E_NOTIMPL;
}

STDMETHODIMP CoUIPlugin::PublishPrintTicketHelperInterface(IUnknown*) {
    return E_NOTIMPL;
}

STDMETHODIMP CoUIPlugin::QueryDeviceDefaultNamespace(BSTR*) {
    return E_NOTIMPL;
}

STDMETHODIMP CoUIPlugin::ConvertPrintTicketToDevMode(IXMLDOMDocument2*, ULONG, PDEVMODEW, ULONG, PVOID) {
    return E_NOTIMPL;
}

STDMETHODIMP CoUIPlugin::ConvertDevModeToPrintTicket(ULONG, PDEVMODEW, ULONG, PVOID, IXMLDOMDocument2*) {
    return E_NOTIMPL;
}

STDMETHODIMP CoUIPlugin::CompletePrintCapabilities(IXMLDOMDocument2*, IXMLDOMDocument2*) {
    return E_NOTIMPL;
}

STDMETHODIMP CoUIPlugin::ExpandIntentOptions(IXMLDOMDocument2*) {
    return E_NOTIMPL;
}

STDMETHODIMP CoUIPlugin::ValidatePrintTicket(IXMLDOMDocument2*) {
    return E_NOTIMPL;
}
