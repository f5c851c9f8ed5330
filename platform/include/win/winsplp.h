// The print-processor interface of the spooler: what the spooler hands a print processor when it
// opens one for a job, the records the processor answers, and the six exports a print-processor
// library has (with C linkage, as the spooler looks them up by name).
#pragma once

#include "wingdi_devmode.h"
#include "winspool.h"

// The job's open data. The spooler owns every string and the DEVMODE; they live until the
// processor is closed.
struct PRINTPROCESSOROPENDATA {
    PDEVMODEW pDevMode;     // the job's DEVMODE, or null
    LPWSTR pDatatype;       // one of the processor's datatypes
    LPWSTR pParameters;
    LPWSTR pDocumentName;   // the document's name as the application gave it
    DWORD JobId;
    LPWSTR pOutputFile;     // the file the application prints to, or null
    LPWSTR pPrinterName;
};
typedef PRINTPROCESSOROPENDATA* PPRINTPROCESSOROPENDATA;
typedef PRINTPROCESSOROPENDATA* LPPRINTPROCESSOROPENDATA;
static_assert(sizeof(PRINTPROCESSOROPENDATA) == 56);
static_assert(offsetof(PRINTPROCESSOROPENDATA, pDatatype) == 8 && offsetof(PRINTPROCESSOROPENDATA, pDocumentName) == 24);
static_assert(offsetof(PRINTPROCESSOROPENDATA, JobId) == 32 && offsetof(PRINTPROCESSOROPENDATA, pOutputFile) == 40);
static_assert(offsetof(PRINTPROCESSOROPENDATA, pPrinterName) == 48);

// Level 1 of the capabilities of one datatype.
struct PRINTPROCESSOR_CAPS_1 {
    DWORD dwLevel;           // 1
    DWORD dwNupOptions;      // bit n-1 set when n pages per sheet are offered
    DWORD dwPageOrderFlags;  // NORMAL_PRINT, REVERSE_PRINT, BOOKLET_PRINT
    DWORD dwNumberOfCopies;  // copies the processor makes itself
};
typedef PRINTPROCESSOR_CAPS_1* PPRINTPROCESSOR_CAPS_1;
static_assert(sizeof(PRINTPROCESSOR_CAPS_1) == 16);

#define NORMAL_PRINT 0x00000000
#define REVERSE_PRINT 0x00000001
#define BOOKLET_PRINT 0x00000002

// One datatype of a processor; EnumPrintProcessorDatatypesW writes an array of them followed by
// the names they point to.
struct DATATYPES_INFO_1W {
    LPWSTR pName;
};
typedef DATATYPES_INFO_1W* PDATATYPES_INFO_1W;
typedef DATATYPES_INFO_1W* LPDATATYPES_INFO_1W;
static_assert(sizeof(DATATYPES_INFO_1W) == 8);

// Commands of ControlPrintProcessor (and of SetJob).
#define JOB_CONTROL_PAUSE 1
#define JOB_CONTROL_RESUME 2
#define JOB_CONTROL_CANCEL 3
#define JOB_CONTROL_RESTART 4
#define JOB_CONTROL_DELETE 5
#define JOB_CONTROL_SENT_TO_PRINTER 6
#define JOB_CONTROL_LAST_PAGE_EJECTED 7

// The exports of a print-processor library.
extern "C" {
HANDLE WINAPI OpenPrintProcessor(LPWSTR pPrinterName, PPRINTPROCESSOROPENDATA pPrintProcessorOpenData);
BOOL WINAPI PrintDocumentOnPrintProcessor(HANDLE hPrintProcessor, LPWSTR pDocumentName);
BOOL WINAPI ClosePrintProcessor(HANDLE hPrintProcessor);
BOOL WINAPI ControlPrintProcessor(HANDLE hPrintProcessor, DWORD Command);
BOOL WINAPI EnumPrintProcessorDatatypesW(LPWSTR pName, LPWSTR pPrintProcessorName, DWORD Level, LPBYTE pDatatypes,
                                         DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned);
// 0, or the error code (also the thread's last error).
DWORD WINAPI GetPrintProcessorCapabilities(LPWSTR pValueName, DWORD dwAttributes, LPBYTE pData, DWORD nSize,
                                           LPDWORD pcbNeeded);
}

// The exports as the spooler finds them in a loaded library.
typedef decltype(&OpenPrintProcessor) PFN_OpenPrintProcessor;
typedef decltype(&PrintDocumentOnPrintProcessor) PFN_PrintDocumentOnPrintProcessor;
typedef decltype(&ClosePrintProcessor) PFN_ClosePrintProcessor;
typedef decltype(&ControlPrintProcessor) PFN_ControlPrintProcessor;
typedef decltype(&EnumPrintProcessorDatatypesW) PFN_EnumPrintProcessorDatatypesW;
typedef decltype(&GetPrintProcessorCapabilities) PFN_GetPrintProcessorCapabilities;
