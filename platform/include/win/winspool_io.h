// The spooler's document and job-data functions: a print processor reads its job's data through a
// handle of the job, "<printer>, Job <n>" (OpenPrinterW), and sends bytes to the printer in a
// document of the printer's handle.
//
// A document's bytes go to its output file when DOC_INFO_1W names one (the file is created anew),
// otherwise to the printer's port: the port's file under the machine root (palvex/port_output.h),
// to which each document appends.
#pragma once

#include "winerror.h"
#include "winspool.h"

#ifndef ERROR_WRITE_FAULT
#define ERROR_WRITE_FAULT 29L
#endif
#ifndef ERROR_READ_FAULT
#define ERROR_READ_FAULT 30L
#endif
#ifndef ERROR_SPL_NO_STARTDOC
#define ERROR_SPL_NO_STARTDOC 3003L
#endif

struct DOC_INFO_1W {
    LPWSTR pDocName;
    LPWSTR pOutputFile;  // null or empty: the printer's port
    LPWSTR pDatatype;
};
typedef DOC_INFO_1W* LPDOC_INFO_1W;
static_assert(sizeof(DOC_INFO_1W) == 24 && offsetof(DOC_INFO_1W, pOutputFile) == 8 &&
              offsetof(DOC_INFO_1W, pDatatype) == 16);

// Starts a document on a printer's handle (level 1, DOC_INFO_1W) and returns its id: the job's id
// on a job's handle, otherwise a number counted from 1 in this process. 0 on failure: not a
// printer handle ERROR_INVALID_HANDLE; another level ERROR_INVALID_LEVEL; no DOC_INFO_1W
// RPC_X_NULL_REF_POINTER; a document already started ERROR_INVALID_PRINTER_STATE; an output that
// cannot be made, the file system's error.
WINBASEAPI DWORD StartDocPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pDocInfo);
// Appends bytes to the started document. *pcWritten is what reached the output, also when the
// write fails part way. No started document: ERROR_SPL_NO_STARTDOC; no pcWritten:
// RPC_X_NULL_REF_POINTER; a null buffer with a size: ERROR_INVALID_USER_BUFFER; an output that
// refuses bytes: its error.
WINBASEAPI BOOL WritePrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pcWritten);
// Ends the started document (ERROR_SPL_NO_STARTDOC without one).
WINBASEAPI BOOL EndDocPrinter(HANDLE hPrinter);
// Reads the next bytes of the job's data on a job's handle; at the end of the data TRUE with 0
// bytes read. A printer's own handle has nothing to read: ERROR_NOT_SUPPORTED. A job whose data
// file is gone: ERROR_FILE_NOT_FOUND. Pointer errors as for WritePrinter.
WINBASEAPI BOOL ReadPrinter(HANDLE hPrinter, LPVOID pBuf, DWORD cbBuf, LPDWORD pNoBytesRead);
