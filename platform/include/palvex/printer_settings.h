// The spooler's settings of a printer beyond its name, driver, port and print processor: what
// GetPrinterW levels 2 to 9 report. A printer that was never given settings has the defaults below
// and no DEVMODE.
#pragma once

#include <string>
#include <vector>

#include <win/wintypes.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

struct PrinterSettingsDesc {
    DWORD attributes = 0x00000040;  // PRINTER_ATTRIBUTE_LOCAL
    DWORD priority = 1;
    DWORD defaultPriority = 0;
    DWORD startTime = 0;            // minutes after midnight UTC; both 0: always available
    DWORD untilTime = 0;
    DWORD status = 0;               // PRINTER_STATUS_*
    std::u16string shareName;
    std::u16string comment;
    std::u16string location;
    std::u16string sepFile;
    std::u16string datatype = u"RAW";
    std::u16string parameters;
};

// Names are compared without regard to case; an unknown printer throws MachineError
// (ERROR_INVALID_PRINTER_NAME).
PALVEX_API PrinterSettingsDesc GetPrinterSettings(const std::u16string& printerName);
PALVEX_API void SetPrinterSettings(const std::u16string& printerName, const PrinterSettingsDesc& settings);

// The printer's default DEVMODE (GetPrinterW levels 2 and 8) and the user's own (level 9). The
// bytes are one DEVMODEW whose dmSize + dmDriverExtra is their length (dmSize at least 72, the
// public fields up to dmDriverExtra); anything else throws MachineError (ERROR_INVALID_PARAMETER).
// No bytes remove the DEVMODE.
PALVEX_API void SetPrinterDevMode(const std::u16string& printerName, const std::vector<BYTE>& devMode);
PALVEX_API void SetPrinterUserDevMode(const std::u16string& printerName, const std::vector<BYTE>& devMode);

}  // namespace palvex
