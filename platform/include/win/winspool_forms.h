// The machine's forms (paper sizes the spooler knows) and the paper capabilities of a printer.
//
// The forms are shared by every printer of the machine. A new machine has the standard forms,
// in the order of the DMPAPER values (the form at position n, counting from 1, is paper n), all
// FORM_BUILTIN; forms that AddFormW adds come after them. Sizes and imageable areas are in
// thousandths of a millimetre. Names are compared without regard to case. The functions take a
// printer handle (OpenPrinterW); any other handle gives ERROR_INVALID_HANDLE.
#pragma once

#include "wingdi.h"
#include "winspool.h"

#define FORM_USER 0x00000000
#define FORM_BUILTIN 0x00000001
#define FORM_PRINTER 0x00000002

struct FORM_INFO_1W {
    DWORD Flags;
    LPWSTR pName;
    SIZEL Size;
    RECTL ImageableArea;
};
typedef FORM_INFO_1W* PFORM_INFO_1W;
typedef FORM_INFO_1W* LPFORM_INFO_1W;
static_assert(sizeof(FORM_INFO_1W) == 40);
static_assert(offsetof(FORM_INFO_1W, pName) == 8 && offsetof(FORM_INFO_1W, Size) == 16 &&
              offsetof(FORM_INFO_1W, ImageableArea) == 24);

// Level 1: an array of FORM_INFO_1W followed by their names. A buffer smaller than needed (a null
// buffer with size 0 is the usual size probe): FALSE, ERROR_INSUFFICIENT_BUFFER, *pcbNeeded set.
WINBASEAPI BOOL EnumFormsW(HANDLE hPrinter, DWORD Level, LPBYTE pForm, DWORD cbBuf, LPDWORD pcbNeeded,
                           LPDWORD pcReturned);
// Level 1 of one form; an unknown name gives ERROR_INVALID_FORM_NAME; buffers as EnumFormsW.
WINBASEAPI BOOL GetFormW(HANDLE hPrinter, LPWSTR pFormName, DWORD Level, LPBYTE pForm, DWORD cbBuf,
                         LPDWORD pcbNeeded);
// Adds a form (level 1; flags FORM_USER or FORM_PRINTER). A name already in use: ERROR_FILE_EXISTS;
// an empty name, a size of 0 or FORM_BUILTIN: ERROR_INVALID_PARAMETER.
WINBASEAPI BOOL AddFormW(HANDLE hPrinter, DWORD Level, LPBYTE pForm);
// Changes the size and imageable area of a form added before (its name stays; the structure's
// pName is not used). Built-in forms cannot change or go: ERROR_INVALID_PARAMETER; an unknown
// name: ERROR_INVALID_FORM_NAME.
WINBASEAPI BOOL SetFormW(HANDLE hPrinter, LPWSTR pFormName, DWORD Level, LPBYTE pForm);
WINBASEAPI BOOL DeleteFormW(HANDLE hPrinter, LPWSTR pFormName);

// DeviceCapabilitiesW capabilities.
#define DC_PAPERS 2
#define DC_PAPERSIZE 3
#define DC_BINS 6
#define DC_BINNAMES 12
#define DC_PAPERNAMES 16
#define DC_MEDIATYPENAMES 34
#define DC_MEDIATYPES 35

// The papers, bins and media types of the printer named pDevice (pPort and pDevMode are not
// used): DC_PAPERS gives the paper numbers (WORD each), DC_PAPERSIZE their sizes (POINT each,
// tenths of a millimetre, portrait), DC_PAPERNAMES their names (64 characters each); DC_BINS the
// bin numbers (WORD each), DC_BINNAMES their names (24 characters each); DC_MEDIATYPES the media
// type numbers (DWORD each), DC_MEDIATYPENAMES their names (64 characters each). Names are
// zero-filled to their width. With pOutput null only the count. An unknown printer gives -1 with
// ERROR_INVALID_PRINTER_NAME; another capability -1 with ERROR_NOT_SUPPORTED.
WINBASEAPI int DeviceCapabilitiesW(LPCWSTR pDevice, LPCWSTR pPort, WORD fwCapability, LPWSTR pOutput,
                                   const DEVMODEW* pDevMode);
