// The names the PrintTicket provider works with: the four standard namespaces of PrintTicket and
// PrintCapabilities documents, the driver's private namespace and the features it trims.
#pragma once

#include <win/windows.h>

// The standard namespaces, in the order the binding keeps their prefixes.
enum TicketNamespace : int {
    kXmlSchema = 0,
    kXmlSchemaInstance = 1,
    kPrintSchemaFramework = 2,
    kPrintSchemaKeywords = 3,
    kTicketNamespaceCount = 4,
};

inline constexpr const WCHAR* kStandardNamespaceUris[kTicketNamespaceCount] = {
    u"http://www.w3.org/2001/XMLSchema",
    u"http://www.w3.org/2001/XMLSchema-instance",
    u"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework",
    u"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords",
};

// The driver's private namespace, the device default namespace of its tickets.
inline constexpr WCHAR kPrivateNamespaceUri[] = u"http://schemas.orlune.example/trelkit/V3.00/";

// The one PrintTicket version the provider supports.
inline constexpr INT kSupportedTicketVersion = 1;

// Root element names that say which document a scan met.
inline constexpr WCHAR kPrintCapabilitiesRoot[] = u"PrintCapabilities";
inline constexpr WCHAR kPrintTicketRoot[] = u"PrintTicket";

// The features and options the PrintCapabilities trim knows.
inline constexpr WCHAR kFeatureElement[] = u"psf:Feature";
inline constexpr WCHAR kNameAttribute[] = u"name";
inline constexpr WCHAR kInputBinFeature[] = u"psk:JobInputBin";
inline constexpr WCHAR kAutoSelectOption[] = u"psk:AutoSelect";
inline constexpr WCHAR kMediaTypeFeature[] = u"psk:PageMediaType";
inline constexpr WCHAR kPlainMediaOption[] = u"ns0000:MEDIATYPE_PLAIN";
inline constexpr WCHAR kNUpContiguousFeature[] = u"psk:JobNUpAllDocumentsContiguously";
inline constexpr WCHAR kMediaSizeFeature[] = u"psk:PageMediaSize";
// A user form's option: this prefix, then the form's index in the printer's form list.
inline constexpr WCHAR kUserFormPrefix[] = u"ns0000:UserForm";
inline constexpr size_t kUserFormPrefixLength = 15;
// The printer-data key whose values mark the driver's own custom media (the number 1).
inline constexpr WCHAR kCustomMediaKey[] = u"CUSTOMMEDIA";
