// Printer information levels 2 to 9 of GetPrinterW (winspool.h declares the function and level 1),
// printer attributes and status, and job status values.
//
// GetPrinterW fills the caller's buffer with the level's structure followed by what it links to:
// strings (2-byte aligned; an empty text is a null link), a DEVMODEW and a security descriptor
// (8-byte aligned each), in the order of the structure's fields. The size it asks for is exactly
// what it writes, and the gaps between the pieces are zero.
//   2  the printer; pDevMode the printer's default DEVMODE (null when it has none);
//      pSecurityDescriptor only when the handle has READ_CONTROL, else null
//   3  the security descriptor; needs READ_CONTROL (ERROR_ACCESS_DENIED)
//   4  name, server (null on this machine) and attributes
//   5  name, port, attributes and the port time-outs
//   6  the status
//   7  directory publishing: never published here (no GUID, DSPRINT_UNPUBLISH)
//   8  the printer's default DEVMODE (null when it has none)
//   9  the user's own DEVMODE for the printer (null when the user has none)
// The machine has no access control: its security descriptor is an empty self-relative one.
#pragma once

#include "wingdi_devmode.h"
#include "winspool.h"

typedef void* PSECURITY_DESCRIPTOR;

// The empty security descriptor's control word.
#define SE_SELF_RELATIVE 0x8000

// Attributes.
#define PRINTER_ATTRIBUTE_QUEUED 0x00000001
#define PRINTER_ATTRIBUTE_DIRECT 0x00000002
#define PRINTER_ATTRIBUTE_DEFAULT 0x00000004
#define PRINTER_ATTRIBUTE_SHARED 0x00000008
#define PRINTER_ATTRIBUTE_NETWORK 0x00000010
#define PRINTER_ATTRIBUTE_HIDDEN 0x00000020
#define PRINTER_ATTRIBUTE_LOCAL 0x00000040
#define PRINTER_ATTRIBUTE_ENABLE_DEVQ 0x00000080
#define PRINTER_ATTRIBUTE_KEEPPRINTEDJOBS 0x00000100
#define PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST 0x00000200
#define PRINTER_ATTRIBUTE_WORK_OFFLINE 0x00000400
#define PRINTER_ATTRIBUTE_ENABLE_BIDI 0x00000800
#define PRINTER_ATTRIBUTE_RAW_ONLY 0x00001000
#define PRINTER_ATTRIBUTE_PUBLISHED 0x00002000
#define PRINTER_ATTRIBUTE_FAX 0x00004000

// Status.
#define PRINTER_STATUS_PAUSED 0x00000001
#define PRINTER_STATUS_ERROR 0x00000002
#define PRINTER_STATUS_PENDING_DELETION 0x00000004
#define PRINTER_STATUS_PAPER_JAM 0x00000008
#define PRINTER_STATUS_PAPER_OUT 0x00000010
#define PRINTER_STATUS_OFFLINE 0x00000080
#define PRINTER_STATUS_BUSY 0x00000200
#define PRINTER_STATUS_PRINTING 0x00000400

// Job status.
#define JOB_STATUS_PAUSED 0x00000001
#define JOB_STATUS_ERROR 0x00000002
#define JOB_STATUS_DELETING 0x00000004
#define JOB_STATUS_SPOOLING 0x00000008
#define JOB_STATUS_PRINTING 0x00000010
#define JOB_STATUS_OFFLINE 0x00000020
#define JOB_STATUS_PAPEROUT 0x00000040
#define JOB_STATUS_PRINTED 0x00000080
#define JOB_STATUS_DELETED 0x00000100
#define JOB_STATUS_BLOCKED_DEVQ 0x00000200
#define JOB_STATUS_USER_INTERVENTION 0x00000400
#define JOB_STATUS_RESTART 0x00000800
#define JOB_STATUS_COMPLETE 0x00001000

// dwAction of level 7.
#define DSPRINT_PUBLISH 0x00000001
#define DSPRINT_UPDATE 0x00000002
#define DSPRINT_UNPUBLISH 0x00000004

struct PRINTER_INFO_2W {
    LPWSTR pServerName;
    LPWSTR pPrinterName;
    LPWSTR pShareName;
    LPWSTR pPortName;
    LPWSTR pDriverName;
    LPWSTR pComment;
    LPWSTR pLocation;
    LPDEVMODEW pDevMode;
    LPWSTR pSepFile;
    LPWSTR pPrintProcessor;
    LPWSTR pDatatype;
    LPWSTR pParameters;
    PSECURITY_DESCRIPTOR pSecurityDescriptor;
    DWORD Attributes;
    DWORD Priority;
    DWORD DefaultPriority;
    DWORD StartTime;  // minutes after midnight UTC
    DWORD UntilTime;
    DWORD Status;
    DWORD cJobs;
    DWORD AveragePPM;
};
typedef PRINTER_INFO_2W* LPPRINTER_INFO_2W;
static_assert(sizeof(PRINTER_INFO_2W) == 136);
static_assert(offsetof(PRINTER_INFO_2W, pDevMode) == 56 && offsetof(PRINTER_INFO_2W, pSecurityDescriptor) == 96);
static_assert(offsetof(PRINTER_INFO_2W, Attributes) == 104 && offsetof(PRINTER_INFO_2W, AveragePPM) == 132);

struct PRINTER_INFO_3 {
    PSECURITY_DESCRIPTOR pSecurityDescriptor;
};
static_assert(sizeof(PRINTER_INFO_3) == 8);

struct PRINTER_INFO_4W {
    LPWSTR pPrinterName;
    LPWSTR pServerName;
    DWORD Attributes;
};
typedef PRINTER_INFO_4W* LPPRINTER_INFO_4W;
static_assert(sizeof(PRINTER_INFO_4W) == 24 && offsetof(PRINTER_INFO_4W, Attributes) == 16);

struct PRINTER_INFO_5W {
    LPWSTR pPrinterName;
    LPWSTR pPortName;
    DWORD Attributes;
    DWORD DeviceNotSelectedTimeout;  // milliseconds
    DWORD TransmissionRetryTimeout;
};
typedef PRINTER_INFO_5W* LPPRINTER_INFO_5W;
static_assert(sizeof(PRINTER_INFO_5W) == 32 && offsetof(PRINTER_INFO_5W, TransmissionRetryTimeout) == 24);

struct PRINTER_INFO_6 {
    DWORD dwStatus;
};
static_assert(sizeof(PRINTER_INFO_6) == 4);

struct PRINTER_INFO_7W {
    LPWSTR pszObjectGUID;
    DWORD dwAction;
};
static_assert(sizeof(PRINTER_INFO_7W) == 16 && offsetof(PRINTER_INFO_7W, dwAction) == 8);

struct PRINTER_INFO_8W {
    LPDEVMODEW pDevMode;
};
struct PRINTER_INFO_9W {
    LPDEVMODEW pDevMode;
};
typedef PRINTER_INFO_8W* LPPRINTER_INFO_8W;
typedef PRINTER_INFO_9W* LPPRINTER_INFO_9W;
static_assert(sizeof(PRINTER_INFO_8W) == 8 && sizeof(PRINTER_INFO_9W) == 8);

#ifndef ERROR_UNKNOWN_PRINTPROCESSOR
#define ERROR_UNKNOWN_PRINTPROCESSOR 1798L
#endif

// Changes a printer: level 2 with Command 0 only (another level ERROR_INVALID_LEVEL, another
// command ERROR_NOT_SUPPORTED). Needs a handle opened with PRINTER_ACCESS_ADMINISTER
// (ERROR_ACCESS_DENIED). The record's name and driver must be the printer's (renaming and another
// driver: ERROR_NOT_SUPPORTED). Its print processor must be "winprint" or one registered under
// HKLM "SYSTEM\CurrentControlSet\Control\Print\Environments\Windows x64\Print Processors"
// (ERROR_UNKNOWN_PRINTPROCESSOR); its settings (share, comment, location, separator file,
// datatype, parameters, attributes, priorities, times) and its DEVMODE when given replace the
// printer's. No record: ERROR_INVALID_PARAMETER. A failure changes nothing.
WINBASEAPI BOOL SetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD Command);
