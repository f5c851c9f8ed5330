// The universal driver's PrintTicket side with a plug-in provider: it makes the plug-in's object for
// the provider class and asks it for IPrintOemPrintTicketProvider, asks for the PrintTicket
// versions, publishes the driver's core helper, binds the printer with version 1, asks for the
// device default namespace, and hands the PrintCapabilities documents it builds to the provider
// for completion. Every provider call and its answer is recorded.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <win/msxml2.h>
#include <win/prcomoem_ui.h>
#include <win/windows.h>

#include "plugin_library.h"

namespace palvex::hosts {

class TicketHost {
public:
    // With the library's class factory, or with a factory the caller gives (tests link the plug-in).
    TicketHost(const PluginLibrary& library, const std::u16string& printerName);
    TicketHost(IClassFactory* factory, const std::u16string& printerName);
    ~TicketHost();  // releases the provider and closes the printer
    TicketHost(const TicketHost&) = delete;
    TicketHost& operator=(const TicketHost&) = delete;

    // True when the provider was made and bound; otherwise error() says which step failed.
    bool started() const { return m_started; }
    const std::string& error() const { return m_error; }
    IPrintOemPrintTicketProvider* provider() const { return m_provider; }
    HANDLE printer() const { return m_printer; }

    // The namespace QueryDeviceDefaultNamespace answered (empty when it named none).
    const std::u16string& deviceNamespace() const { return m_deviceNamespace; }
    // Each provider call in order with its answer.
    const std::vector<std::pair<std::string, HRESULT>>& calls() const { return m_calls; }

    // CompletePrintCapabilities with the ticket (may be null) and the document; the answer.
    HRESULT CompleteCapabilities(IXMLDOMDocument2* ticket, IXMLDOMDocument2* capabilities);

private:
    void Start(const PluginLibrary* library, IClassFactory* factory, const std::u16string& printerName);
    void Record(const char* call, HRESULT answer) { m_calls.emplace_back(call, answer); }

    HANDLE m_printer = nullptr;
    IPrintOemPrintTicketProvider* m_provider = nullptr;
    IUnknown* m_coreHelper = nullptr;
    bool m_started = false;
    std::string m_error;
    std::u16string m_deviceNamespace;
    std::vector<std::pair<std::string, HRESULT>> m_calls;
};

// A new XML DOM document loaded from a file (a host path or a machine path); null with *error set
// (the parser's reason) when the file cannot be read or is not well-formed XML.
IXMLDOMDocument2* LoadXmlDocument(const std::u16string& path, std::string* error);
// The document as text (UTF-8).
std::string XmlText(IXMLDOMDocument2* document);

}  // namespace palvex::hosts
