// The papers a printer's driver offers (what DeviceCapabilitiesW answers for DC_PAPERS,
// DC_PAPERSIZE and DC_PAPERNAMES). A printer that was never given its own list offers the papers
// of the package's model family under their standard form names. Its bins (DC_BINS, DC_BINNAMES)
// and media types (DC_MEDIATYPES, DC_MEDIATYPENAMES) are only those it was given. That is the
// driver's own answer: the UI plug-in of a universal driver's printer may change it
// (palvex/ui_module_capabilities.h).
#pragma once

#include <string>
#include <vector>

#include <win/wintypes.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

// One paper option of the driver: its paper code, its name (at most 63 characters, the name field
// being 64 with its NUL) and its portrait size in tenths of a millimetre.
struct PrinterPaperDesc {
    WORD id = 0;
    std::u16string name;
    LONG width = 0;
    LONG height = 0;
};

// Replaces the printer's paper list, kept in the order given; no papers put back the model's list.
// Names of the printer are compared without regard to case; an unknown printer throws
// MachineError (ERROR_INVALID_PRINTER_NAME), a paper of code 0, without a name, with a name
// longer than 63 characters or holding a NUL, or without a positive size throws MachineError
// (ERROR_INVALID_PARAMETER) and changes nothing.
PALVEX_API void SetPrinterPapers(const std::u16string& printerName, const std::vector<PrinterPaperDesc>& papers);

// One bin or media type of the driver: its number and its name (at most 23 characters for a bin,
// 63 for a media type, the name fields being 24 and 64 with their NUL).
struct PrinterChoiceDesc {
    DWORD id = 0;
    std::u16string name;
};

// Replace the printer's bins or media types, kept in the order given. Errors as SetPrinterPapers
// (a bin number above 0xFFFF is refused too).
PALVEX_API void SetPrinterBins(const std::u16string& printerName, const std::vector<PrinterChoiceDesc>& bins);
PALVEX_API void SetPrinterMediaTypes(const std::u16string& printerName, const std::vector<PrinterChoiceDesc>& types);

}  // namespace palvex
