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
// Deletes a value under "PrinterDriverData"; access and results as DeletePrinterDataExW below.
WINBASEAPI DWORD DeletePrinterDataW(HANDLE hPrinter, LPWSTR pValueName);
// Printer data under a named key of the printer (GetPrinterDataW's values are those of the key
// "PrinterDriverData"). Key and value names ignore case. Results as GetPrinterDataW and
// SetPrinterDataW; a null or empty key name: ERROR_INVALID_PARAMETER. DeletePrinterDataExW needs
// PRINTER_ACCESS_ADMINISTER like the write; an unknown value: ERROR_FILE_NOT_FOUND.
WINBASEAPI DWORD GetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, LPDWORD pType,
                                   LPBYTE pData, DWORD nSize, LPDWORD pcbNeeded);
WINBASEAPI DWORD SetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, DWORD Type, LPBYTE pData,
                                   DWORD cbData);
WINBASEAPI DWORD DeletePrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName);

// --- Printer and driver information ------------------------------------------------------------
//
// The Get* functions below fill a caller's buffer with a structure followed by the strings it
// links to. A buffer smaller than needed (a null buffer with size 0 is the usual size probe):
// FALSE, ERROR_INSUFFICIENT_BUFFER and *pcbNeeded set; no pcbNeeded: RPC_X_NULL_REF_POINTER; a
// null buffer with a size: ERROR_INVALID_USER_BUFFER; a level the function does not give:
// ERROR_INVALID_LEVEL.

#define PRINTER_ENUM_ICON8 0x00800000

struct PRINTER_INFO_1W {
    DWORD Flags;
    LPWSTR pDescription;  // "name,driver name,location"
    LPWSTR pName;
    LPWSTR pComment;
};
typedef PRINTER_INFO_1W* LPPRINTER_INFO_1W;
static_assert(sizeof(PRINTER_INFO_1W) == 32);
static_assert(offsetof(PRINTER_INFO_1W, pDescription) == 8 && offsetof(PRINTER_INFO_1W, pName) == 16 &&
              offsetof(PRINTER_INFO_1W, pComment) == 24);

struct DRIVER_INFO_3W {
    DWORD cVersion;
    LPWSTR pName;
    LPWSTR pEnvironment;
    LPWSTR pDriverPath;       // full paths: a file the driver names without a folder lies in the
    LPWSTR pDataFile;         // driver directory's version folder "\3\"
    LPWSTR pConfigFile;
    LPWSTR pHelpFile;
    LPWSTR pDependentFiles;   // NUL-separated list ended by a second NUL; null when there are none
    LPWSTR pMonitorName;
    LPWSTR pDefaultDataType;
};
typedef DRIVER_INFO_3W* LPDRIVER_INFO_3W;
static_assert(sizeof(DRIVER_INFO_3W) == 80);
static_assert(offsetof(DRIVER_INFO_3W, pName) == 8 && offsetof(DRIVER_INFO_3W, pDataFile) == 32 &&
              offsetof(DRIVER_INFO_3W, pDependentFiles) == 56 && offsetof(DRIVER_INFO_3W, pDefaultDataType) == 72);

struct DRIVER_INFO_4W {
    DWORD cVersion;
    LPWSTR pName;
    LPWSTR pEnvironment;
    LPWSTR pDriverPath;
    LPWSTR pDataFile;
    LPWSTR pConfigFile;
    LPWSTR pHelpFile;
    LPWSTR pDependentFiles;
    LPWSTR pMonitorName;
    LPWSTR pDefaultDataType;
    LPWSTR pszzPreviousNames;
};
typedef DRIVER_INFO_4W* LPDRIVER_INFO_4W;
static_assert(sizeof(DRIVER_INFO_4W) == 88 && offsetof(DRIVER_INFO_4W, pszzPreviousNames) == 80);

// Level 1 (PRINTER_INFO_1W). Not a printer handle: ERROR_INVALID_HANDLE.
WINBASEAPI BOOL GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded);
// Levels 3 and 4 of the printer's driver; pEnvironment null means the printer's own environment,
// another environment gives the driver of the same name there (ERROR_UNKNOWN_PRINTER_DRIVER when
// it is not installed).
WINBASEAPI BOOL GetPrinterDriverW(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                                  LPDWORD pcbNeeded);
// Level 1: the folder of the printer drivers of an environment (null: "Windows x64"),
// "C:\Windows\System32\spool\drivers\x64" ("W32X86" for "Windows NT x86"), and of the print
// processors, "C:\Windows\System32\spool\prtprocs\x64". Only the local machine (pName null or
// empty); another environment: ERROR_INVALID_ENVIRONMENT. Sizes are in bytes.
WINBASEAPI BOOL GetPrinterDriverDirectoryW(LPWSTR pName, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverDirectory,
                                           DWORD cbBuf, LPDWORD pcbNeeded);
WINBASEAPI BOOL GetPrintProcessorDirectoryW(LPWSTR pName, LPWSTR pEnvironment, DWORD Level,
                                            LPBYTE pPrintProcessorInfo, DWORD cbBuf, LPDWORD pcbNeeded);
// Registers a print processor of an environment (null: "Windows x64") on the local machine:
// pPathName is its file's name, already copied into the environment's print-processor folder
// (ERROR_FILE_NOT_FOUND when it is not there). A name already registered gives
// ERROR_PRINT_PROCESSOR_ALREADY_INSTALLED, an unknown environment ERROR_INVALID_ENVIRONMENT.
WINBASEAPI BOOL AddPrintProcessorW(LPWSTR pName, LPWSTR pEnvironment, LPWSTR pPathName, LPWSTR pPrintProcessorName);
// Removes a print processor's registration (its file stays); one not registered gives
// ERROR_UNKNOWN_PRINTPROCESSOR.
WINBASEAPI BOOL DeletePrintProcessorW(LPWSTR pName, LPWSTR pEnvironment, LPWSTR pPrintProcessorName);

// --- Jobs ---------------------------------------------------------------------------------------

// The spooler keeps no security descriptor of a job: its link is always null.
typedef void* PSECURITY_DESCRIPTOR;

struct JOB_INFO_1W {
    DWORD JobId;
    LPWSTR pPrinterName;
    LPWSTR pMachineName;
    LPWSTR pUserName;
    LPWSTR pDocument;
    LPWSTR pDatatype;
    LPWSTR pStatus;
    DWORD Status;        // JOB_STATUS_* (winspool_levels.h)
    DWORD Priority;
    DWORD Position;      // in the printer's queue, from 1
    DWORD TotalPages;
    DWORD PagesPrinted;
    SYSTEMTIME Submitted;
};
typedef JOB_INFO_1W* LPJOB_INFO_1W;
static_assert(sizeof(JOB_INFO_1W) == 96);
static_assert(offsetof(JOB_INFO_1W, pDatatype) == 40 && offsetof(JOB_INFO_1W, Status) == 56 &&
              offsetof(JOB_INFO_1W, TotalPages) == 68 && offsetof(JOB_INFO_1W, Submitted) == 76);

struct JOB_INFO_2W {
    DWORD JobId;
    LPWSTR pPrinterName;
    LPWSTR pMachineName;
    LPWSTR pUserName;
    LPWSTR pDocument;
    LPWSTR pNotifyName;
    LPWSTR pDatatype;
    LPWSTR pPrintProcessor;
    LPWSTR pParameters;
    LPWSTR pDriverName;
    LPDEVMODEW pDevMode;
    LPWSTR pStatus;
    PSECURITY_DESCRIPTOR pSecurityDescriptor;
    DWORD Status;
    DWORD Priority;
    DWORD Position;
    DWORD StartTime;     // minutes after midnight UTC, as the printer's
    DWORD UntilTime;
    DWORD TotalPages;    // pages spooled so far; 0 when the data's pages cannot be counted
    DWORD Size;          // bytes of the job's data
    SYSTEMTIME Submitted;
    DWORD Time;
    DWORD PagesPrinted;
};
typedef JOB_INFO_2W* LPJOB_INFO_2W;
static_assert(sizeof(JOB_INFO_2W) == 160);
static_assert(offsetof(JOB_INFO_2W, pNotifyName) == 40 && offsetof(JOB_INFO_2W, pDevMode) == 80 &&
              offsetof(JOB_INFO_2W, pSecurityDescriptor) == 96 && offsetof(JOB_INFO_2W, Status) == 104 &&
              offsetof(JOB_INFO_2W, TotalPages) == 124 && offsetof(JOB_INFO_2W, Size) == 128 &&
              offsetof(JOB_INFO_2W, Submitted) == 132 && offsetof(JOB_INFO_2W, Time) == 148 &&
              offsetof(JOB_INFO_2W, PagesPrinted) == 152);

// Level 1 or 2 of a job of the handle's printer, its strings and DEVMODE (8-byte aligned) packed
// behind the structure; empty texts and a missing DEVMODE are null links. The machine keeps no
// submission time or machine name of a job (zero and null). Sizing as for GetPrinterW; a job the
// printer does not have: ERROR_INVALID_PARAMETER; another level: ERROR_INVALID_LEVEL; not a
// printer handle: ERROR_INVALID_HANDLE.
WINBASEAPI BOOL GetJobW(HANDLE hPrinter, DWORD JobId, DWORD Level, LPBYTE pJob, DWORD cbBuf, LPDWORD pcbNeeded);

// Enumeration. PRINTER_ENUM_LOCAL lists the machine's printers; this machine has no printer
// connections, so PRINTER_ENUM_CONNECTIONS lists none. Levels 2 and 5 (winspool_levels.h).
// The records come first in the buffer, then what they link to; a buffer too small (or null)
// gives ERROR_INSUFFICIENT_BUFFER with *pcbNeeded set and *pcReturned 0.
#define PRINTER_ENUM_DEFAULT 0x00000001
#define PRINTER_ENUM_LOCAL 0x00000002
#define PRINTER_ENUM_CONNECTIONS 0x00000004
WINBASEAPI BOOL EnumPrintersW(DWORD Flags, LPWSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf,
                              LPDWORD pcbNeeded, LPDWORD pcReturned);
// The drivers of an environment (null or empty: "Windows x64"), level 3, same buffer rules.
WINBASEAPI BOOL EnumPrinterDriversW(LPWSTR pName, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                                    LPDWORD pcbNeeded, LPDWORD pcReturned);

// The standard TCP/IP port monitor. OpenPrinterW(",XcvMonitor Standard TCP/IP Port") opens its data
// interface; XcvDataW "AddPort" with a PORT_DATA_1 record (cbSize 964, dwVersion 1) adds a port to
// the machine: XcvDataW returns TRUE when the monitor took the call, and *pdwStatus tells the
// outcome (ERROR_SUCCESS; ERROR_ALREADY_EXISTS for a port of that name; ERROR_INVALID_PARAMETER for
// a record of another size or version, an empty name or host, a protocol other than 1 raw or
// 2 LPR; ERROR_INVALID_FUNCTION for another data name). Another handle: FALSE, ERROR_INVALID_HANDLE.
#define PROTOCOL_RAWTCP_TYPE 1
#define PROTOCOL_LPR_TYPE 2
struct PORT_DATA_1 {
    WCHAR sztPortName[64];
    DWORD dwVersion;
    DWORD dwProtocol;
    DWORD cbSize;
    DWORD dwReserved;
    WCHAR sztHostAddress[49];
    WCHAR sztSNMPCommunity[33];
    DWORD dwDoubleSpool;
    WCHAR sztQueue[33];
    WCHAR sztIPAddress[16];
    BYTE Reserved[540];
    DWORD dwPortNumber;
    DWORD dwSNMPEnabled;
    DWORD dwSNMPDevIndex;
};
typedef PORT_DATA_1* PPORT_DATA_1;
static_assert(sizeof(PORT_DATA_1) == 964);
static_assert(offsetof(PORT_DATA_1, dwVersion) == 128 && offsetof(PORT_DATA_1, sztHostAddress) == 144 &&
              offsetof(PORT_DATA_1, sztSNMPCommunity) == 242 && offsetof(PORT_DATA_1, dwDoubleSpool) == 308 &&
              offsetof(PORT_DATA_1, sztQueue) == 312 && offsetof(PORT_DATA_1, sztIPAddress) == 378 &&
              offsetof(PORT_DATA_1, Reserved) == 410 && offsetof(PORT_DATA_1, dwPortNumber) == 952 &&
              offsetof(PORT_DATA_1, dwSNMPDevIndex) == 960);
WINBASEAPI BOOL XcvDataW(HANDLE hXcv, LPCWSTR pszDataName, PBYTE pInputData, DWORD cbInputData, PBYTE pOutputData,
                         DWORD cbOutputData, PDWORD pcbOutputNeeded, PDWORD pdwStatus);
