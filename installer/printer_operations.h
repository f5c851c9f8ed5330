// The printer operations the install, update and removal runs share: starting a command hidden
// and waiting for it, the printer-installation command lines (PrintUI on Windows 6.0 and later,
// rundll32 printui.dll,PrintUIEntry before), adding printers, drivers and connections, setting a
// comment, deleting printers, the warnings before printers are re-created, and unique names for
// re-created printers.
#pragma once

#include <string>
#include <vector>

#include <win/windows.h>

#include "utilities.h"

class CDrvData;

// The command lines, filled; names marked escaped in each are passed through EscapeQuotes here.
namespace commands {
std::u16string AddPrinter(const std::u16string& printerName, const std::u16string& infPath,
                          const std::u16string& portName, const std::u16string& modelName,
                          const std::u16string& shareName = {});
std::u16string AddDriver(const std::u16string& modelName, const std::u16string& architecture,
                         const std::u16string& infPath, bool vistaOrLater);
std::u16string AddConnection(const std::u16string& printerName, const std::u16string& infPath,
                             const std::u16string& portName, const std::u16string& modelName);
std::u16string SetComment(const std::u16string& printerName, const std::u16string& comment);
std::u16string DeleteConnection(const std::u16string& printerName);
std::u16string SaveSettings(const std::u16string& printerName, const std::u16string& file);
std::u16string RestoreSettings(const std::u16string& printerName, const std::u16string& file);
std::u16string DeletePackage(const std::u16string& publishedInf);
}  // namespace commands

// A printer connection: Attributes & (LOCAL | NETWORK | SHARED) is NETWORK | SHARED.
inline bool IsPrinterConnection(DWORD attributes) { return (attributes & 0x58) == 0x18; }

// Starts the command hidden and waits up to EXE_TIMEOUT seconds. TRUE only when it ended with exit
// code 0. A command that cannot start stores its error in lastError; one that ends with another
// code stores that code in exitCode and lastError; one that runs too long keeps both as they were.
BOOL RunProcess(const std::u16string& commandLine, CDrvData* drvData, DWORD& exitCode, DWORD& lastError);

BOOL SetPrinterComment(CDrvData* drvData, DWORD& exitCode, DWORD& lastError);
BOOL RunInstall(const std::u16string& printerName, const std::u16string& portName, const std::u16string& shareName,
                CDrvData* drvData, DWORD& exitCode, DWORD& lastError);
// Architecture 9 (x64) installs "x64", any other "x86".
BOOL RunInstallDriver(CDrvData* drvData, DWORD& exitCode, DWORD& lastError, WORD architecture);
BOOL RunInstallNetwork(CDrvData* drvData, const std::u16string& printerName, const std::u16string& portName,
                       DWORD& exitCode, DWORD& lastError);
// Deletes the printers (connections by command, local printers through the spooler); posts
// progress 70 * i / n to progressWindow when one is given.
BOOL DeleteInstalledPrinters(const std::vector<std::u16string>& names, const std::vector<DWORD>& attributes,
                             CDrvData* drvData, DWORD& lastError, HWND progressWindow);
// FALSE when the user answered No to one of the warnings.
BOOL CheckUpdatePrinters(HWND owner, CDrvData* drvData);
std::u16string MakeBatchPrinterName(const std::u16string& wanted, const PRINTER_INFO_5W* printers, DWORD count,
                                    const std::vector<std::u16string>& batch, int ownIndex);
// Empty when the printers cannot be listed.
std::u16string GetNewPrinterName(const std::u16string& wanted, const std::vector<std::u16string>& batch, int ownIndex,
                                 CDrvData* drvData);
