// The spooled-EMF playback functions a print processor calls for a job of an "NT EMF" datatype.
//
// A spool-file handle opens the spool file of one job of the machine, named by the spooler's
// document name of the job ("<printer>, Job <id>"), and owns a printer device context with the
// DEVMODE it was given. The spool file is read as the EMF spool format: a header, then records;
// each page is one EMF metafile, and an EMRI_DEVMODE record sets the DEVMODE of the pages after
// it. A file that is malformed or cut short is refused (ERROR_INVALID_DATA) as soon as the bad
// bytes are reached, with a line on the debugger output that says where and why.
//
// A job may still be spooling while it prints: calls that need pages that are not there yet
// wait for them (GdiGetPageCount waits for the whole file). A job the spooler is deleting
// (JOB_STATUS_DELETING or JOB_STATUS_DELETED) ends every wait and every later page call with
// ERROR_PRINT_CANCELLED.
//
// Between GdiStartPageEMF and GdiEndPageEMF the pages played and the text drawn on the device
// context make one sheet side; the side is printed with the DEVMODE the device context has when
// the side ends, so a DEVMODE given in the middle of a side still applies to it.
#pragma once

#include "wingdi.h"

// Page types of GdiGetPageHandle.
#define EMF_PP_NORMAL 0x00000001
#define EMF_PP_FORM 0x00000002

// Opens the spool file of the job that pwszDocName names, for the printer pwszPrinterName (the
// job's printer, without regard to case), with pDevmode for the device context (null: the job's
// DEVMODE). Null or empty names, or a name that is not a job of that printer:
// ERROR_INVALID_PARAMETER; a missing file: ERROR_FILE_NOT_FOUND; a bad header: ERROR_INVALID_DATA.
WINBASEAPI HANDLE GdiGetSpoolFileHandle(LPWSTR pwszPrinterName, LPDEVMODEW pDevmode, LPWSTR pwszDocName);
// Closes the handle, its device context and its page handles. Not a spool-file handle: FALSE,
// ERROR_INVALID_HANDLE.
WINBASEAPI BOOL GdiDeleteSpoolFileHandle(HANDLE SpoolFileHandle);
// The handle's printer device context (it lives as long as the handle).
WINBASEAPI HDC GdiGetDC(HANDLE SpoolFileHandle);
// The number of pages, once the job has finished spooling; 0 with the last error on failure.
WINBASEAPI DWORD GdiGetPageCount(HANDLE SpoolFileHandle);
// A handle of page Page (from 1) for GdiPlayPageEMF; the page type (EMF_PP_NORMAL) goes to
// *pdwPageType when it is given. Page 0: ERROR_INVALID_PARAMETER; beyond the last page of a
// finished spool file: ERROR_NO_MORE_ITEMS. Null on failure.
WINBASEAPI HANDLE GdiGetPageHandle(HANDLE SpoolFileHandle, DWORD Page, LPDWORD pdwPageType);
// The DEVMODE of page dwPageNumber and of the page before it (null for page 1). Pages that share
// a DEVMODE record get the same pointer; pages before any EMRI_DEVMODE record have the handle's
// own DEVMODE. The DEVMODEs live as long as the handle.
WINBASEAPI BOOL GdiGetDevmodeForPage(HANDLE SpoolFileHandle, DWORD dwPageNumber, PDEVMODEW* pCurrDM,
                                     PDEVMODEW* pLastDM);
// StartDocW, StartPage, EndPage, EndDoc and ResetDCW on the handle's device context.
WINBASEAPI BOOL GdiStartDocEMF(HANDLE SpoolFileHandle, DOCINFOW* pDocInfo);
WINBASEAPI BOOL GdiStartPageEMF(HANDLE SpoolFileHandle);
WINBASEAPI BOOL GdiEndPageEMF(HANDLE SpoolFileHandle, DWORD dwOptimization);
WINBASEAPI BOOL GdiEndDocEMF(HANDLE SpoolFileHandle);
WINBASEAPI BOOL GdiResetDCEMF(HANDLE SpoolFileHandle, PDEVMODEW pCurrDM);
// Plays page hemf (a page handle of this spool-file handle) onto the open side: the page's
// picture fills prectDocument, a frame is drawn on prectBorder when it is given, and drawing is
// kept inside prectClip when it is given; all three in the device context's logical units, under
// its world transform of the moment. No side open or no document rectangle:
// ERROR_INVALID_PARAMETER; not a page of this handle: ERROR_INVALID_HANDLE.
WINBASEAPI BOOL GdiPlayPageEMF(HANDLE SpoolFileHandle, HANDLE hemf, RECT* prectDocument, RECT* prectBorder,
                               RECT* prectClip);
