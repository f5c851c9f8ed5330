// What the printer-installation commands do on the machine (printui.dll and PnPUtil). Each
// returns ERROR_SUCCESS or the Win32 error the command ends with.
#pragma once

#include <filesystem>
#include <string>

#include <win/wintypes.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

struct PrinterSetup {
    std::u16string infPath;      // the driver package's INF (Windows path)
    std::u16string model;        // the model line of the INF to install
    std::u16string environment = u"Windows x64";
    std::u16string printerName;  // empty: the driver alone
    std::u16string portName;
    std::u16string shareName;
};

// Reads the INF's section of the model, copies the files of its copy lists from the INF's folder
// into the driver folder (and the print processor's folder), registers the driver and its print
// processor, publishes the package in the driver store (C:\Windows\INF\oemN.inf), and adds the
// printer on an existing port when one is named. A model the INF does not list:
// ERROR_UNKNOWN_PRINTER_DRIVER; a file missing beside the INF: ERROR_FILE_NOT_FOUND; an unknown
// port: ERROR_UNKNOWN_PORT; a printer of that name: ERROR_PRINTER_ALREADY_EXISTS.
PALVEX_API DWORD InstallPrinterPackage(const PrinterSetup& setup);
PALVEX_API DWORD SetPrinterComment(const std::u16string& printerName, const std::u16string& comment);
PALVEX_API DWORD DeletePrinterByName(const std::u16string& printerName);
PALVEX_API DWORD DeleteDriverByName(const std::u16string& model, const std::u16string& environment);
// The printer's comment, location, devmode and printer data into a file, and back.
PALVEX_API DWORD SavePrinterSettings(const std::u16string& printerName, const std::u16string& file);
PALVEX_API DWORD RestorePrinterSettings(const std::u16string& printerName, const std::u16string& file);
// Removes a published package (oemN.inf) from C:\Windows\INF and the driver store.
PALVEX_API DWORD DeletePublishedPackage(const std::u16string& publishedName);
// Makes the machine's printer-installation programs (C:\Windows\System32\PrintUI.exe,
// rundll32.exe and pnputil.exe) this build's program at hostProgram.
PALVEX_API void InstallSetupPrograms(const std::filesystem::path& hostProgram);

}  // namespace palvex
