// GDIInterface: the spooled-EMF playback calls of the platform, each refusing a missing spool
// handle and answering S_OK or E_FAIL instead of the platform's BOOL.
#pragma once

#include <win/gdi_spool.h>
#include <win/windows.h>

class GDIInterface {
public:
    GDIInterface() = default;
    GDIInterface(const GDIInterface&) = delete;
    GDIInterface& operator=(const GDIInterface&) = delete;
    virtual ~GDIInterface() = default;

    // Opens the job's spool file and its printer DC; both outputs null on failure (a handle
    // whose DC cannot be had is deleted again).
    HRESULT GDIGetSpoolFileHandle(LPCWSTR printerName, DEVMODEW* devmode, LPCWSTR documentName, HANDLE* spool,
                                  HDC* dc);
    HRESULT GDIDeleteSpoolFileHandle(HANDLE spool);
    // The page count (waits until the job has finished spooling).
    HRESULT GDIGetPageCount(HANDLE spool, DWORD* count);
    // The DEVMODE of page and of the page before it (null for page 1); DEVMODEs whose dmSize
    // cannot hold the public fields are refused.
    HRESULT GDIGetDevmodeForPage(HANDLE spool, DWORD page, DEVMODEW** current, DEVMODEW** previous);
    HRESULT GDIStartDoc(HANDLE spool, LPCWSTR documentName, LPCWSTR outputFile);
    HRESULT GDIEndDoc(HANDLE spool);
    HRESULT GDIStartPage(HANDLE spool);
    HRESULT GDIEndPage(HANDLE spool);
    // The page's handle; the platform's last error stays for the caller (ERROR_NO_MORE_ITEMS past
    // the last page).
    HRESULT GDIGetPageHandle(HANDLE spool, DWORD page, HANDLE* pageHandle);
    HRESULT GDIPlayPage(HANDLE spool, DWORD page, RECT* document, RECT* border, RECT* clip);
    // Plays a page whose handle the caller already holds (NULL: fetched here by its number), so a
    // page is not looked up twice.
    HRESULT GDIPlayPage(HANDLE spool, DWORD page, HANDLE pageHandle, RECT* document, RECT* border, RECT* clip);
};
