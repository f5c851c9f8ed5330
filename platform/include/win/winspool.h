// Print spooler functions of the simulated machine.
#pragma once

#include "winbase.h"
#include "winreg.h"

struct _devicemodeW;
typedef struct _devicemodeW DEVMODEW;
typedef DEVMODEW* LPDEVMODEW;

#define SERVER_ACCESS_ADMINISTER 0x00000001
#define SERVER_ACCESS_ENUMERATE 0x00000002
#define PRINTER_ACCESS_ADMINISTER 0x00000004
#define PRINTER_ACCESS_USE 0x00000008
#define PRINTER_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | PRINTER_ACCESS_ADMINISTER | PRINTER_ACCESS_USE)
#define PRINTER_READ (STANDARD_RIGHTS_READ | PRINTER_ACCESS_USE)
#define PRINTER_WRITE (STANDARD_RIGHTS_WRITE | PRINTER_ACCESS_USE)
#define PRINTER_EXECUTE (STANDARD_RIGHTS_EXECUTE | PRINTER_ACCESS_USE)

struct PRINTER_DEFAULTSW {
    LPWSTR pDatatype;
    LPDEVMODEW pDevMode;
    DWORD DesiredAccess;
};
typedef PRINTER_DEFAULTSW* LPPRINTER_DEFAULTSW;
static_assert(sizeof(PRINTER_DEFAULTSW) == 24);

// Opens a printer by name (compared without regard to case). Without defaults, or with a desired
// access of 0, the handle has PRINTER_ACCESS_USE; generic rights are mapped to the printer's.
// No out pointer: ERROR_INVALID_PARAMETER; unknown (or null) printer name: ERROR_INVALID_PRINTER_NAME;
// an access the printer refuses: ERROR_ACCESS_DENIED. On failure *phPrinter is null.
WINBASEAPI BOOL OpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW pDefault);
// A handle that is not an open printer handle: ERROR_INVALID_HANDLE.
WINBASEAPI BOOL ClosePrinter(HANDLE hPrinter);

// Printer data under the printer's "PrinterDriverData" key; value names ignore case. The result is
// a Win32 error code. A buffer smaller than the value (a null buffer with size 0 is the usual size
// probe): ERROR_MORE_DATA with *pcbNeeded (and *pType) set and the buffer untouched; unknown value:
// ERROR_FILE_NOT_FOUND; not a printer handle: ERROR_INVALID_HANDLE; no value name or no pcbNeeded:
// RPC_X_NULL_REF_POINTER; a null buffer with a size: ERROR_INVALID_USER_BUFFER.
WINBASEAPI DWORD GetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                                 LPDWORD pcbNeeded);
// Creates or replaces a value (a replaced value keeps the spelling of its name). Needs a handle
// opened with PRINTER_ACCESS_ADMINISTER, else ERROR_ACCESS_DENIED. Other processes using the same
// machine see the value as soon as the call returns.
WINBASEAPI DWORD SetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData);
