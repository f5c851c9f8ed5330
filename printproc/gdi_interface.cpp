#include "gdi_interface.h"

#include "kittrace.h"

namespace {

bool Usable(HANDLE spool) { return spool && spool != INVALID_HANDLE_VALUE; }
HRESULT FromBool(BOOL ok) { return ok ? S_OK : E_FAIL; }
// The smallest dmSize a page's DEVMODE may have.
constexpr WORD kSmallestPageDevmode = 98;

}  // namespace

HRESULT GDIInterface::GDIGetSpoolFileHandle(LPCWSTR printerName, DEVMODEW* devmode, LPCWSTR documentName,
                                            HANDLE* spool, HDC* dc) {
    if (spool) *spool = nullptr;
    if (dc) *dc = nullptr;
    if (!printerName || !*printerName || !devmode || !documentName || !*documentName || !spool || !dc) return E_FAIL;
    HANDLE handle = GdiGetSpoolFileHandle(const_cast<LPWSTR>(printerName), devmode, const_cast<LPWSTR>(documentName));
    if (!Usable(handle)) return E_FAIL;
    HDC printerDc = GdiGetDC(handle);
    if (!printerDc) {
        const DWORD error = GetLastError();
        GdiDeleteSpoolFileHandle(handle);
        SetLastError(error);
        return E_FAIL;
    }
    *spool = handle;
    *dc = printerDc;
    return S_OK;
}

HRESULT GDIInterface::GDIDeleteSpoolFileHandle(HANDLE spool) {
    if (!Usable(spool)) return E_FAIL;
    return FromBool(GdiDeleteSpoolFileHandle(spool));
}

HRESULT GDIInterface::GDIGetPageCount(HANDLE spool, DWORD* count) {
    if (!Usable(spool) || !count) return E_FAIL;
    *count = GdiGetPageCount(spool);
    return S_OK;
}

HRESULT GDIInterface::GDIGetDevmodeForPage(HANDLE spool, DWORD page, DEVMODEW** current, DEVMODEW** previous) {
    if (!Usable(spool) || page == 0 || !current || !previous) return E_FAIL;
    *current = nullptr;
    *previous = nullptr;
    if (!GdiGetDevmodeForPage(spool, page, current, previous)) return E_FAIL;
    if (!*current || (*current)->dmSize < kSmallestPageDevmode) return E_FAIL;
    if (*previous && (*previous)->dmSize < kSmallestPageDevmode) return E_FAIL;
    return S_OK;
}

HRESULT GDIInterface::GDIStartDoc(HANDLE spool, LPCWSTR documentName, LPCWSTR outputFile) {
    if (!Usable(spool)) return E_FAIL;
    DebugTrace(3, u"%s: doc=[%s] out=[%s]\n", u"GDIInterface::GDIStartDoc", documentName ? documentName : u"",
               outputFile ? outputFile : u"");
    DOCINFOW info{};
    info.cbSize = sizeof info;
    info.lpszDocName = documentName;
    info.lpszOutput = outputFile;
    return FromBool(GdiStartDocEMF(spool, &info));
}

HRESULT GDIInterface::GDIEndDoc(HANDLE spool) { return Usable(spool) ? FromBool(GdiEndDocEMF(spool)) : E_FAIL; }
HRESULT GDIInterface::GDIStartPage(HANDLE spool) { return Usable(spool) ? FromBool(GdiStartPageEMF(spool)) : E_FAIL; }
HRESULT GDIInterface::GDIEndPage(HANDLE spool) { return Usable(spool) ? FromBool(GdiEndPageEMF(spool, 0)) : E_FAIL; }

HRESULT GDIInterface::GDIGetPageHandle(HANDLE spool, DWORD page, HANDLE* pageHandle) {
    if (pageHandle) *pageHandle = nullptr;
    if (!Usable(spool) || page == 0 || !pageHandle) return E_FAIL;
    HANDLE handle = GdiGetPageHandle(spool, page, nullptr);
    if (!handle || handle == INVALID_HANDLE_VALUE) return E_FAIL;
    *pageHandle = handle;
    return S_OK;
}

HRESULT GDIInterface::GDIPlayPage(HANDLE spool, DWORD page, RECT* document, RECT* border, RECT* clip) {
    return GDIPlayPage(spool, page, nullptr, document, border, clip);
}

HRESULT GDIInterface::GDIPlayPage(HANDLE spool, DWORD page, HANDLE pageHandle, RECT* document, RECT* border, RECT* clip) {
    if (!pageHandle && FAILED(GDIGetPageHandle(spool, page, &pageHandle))) return E_FAIL;
    if (!Usable(spool)) return E_FAIL;
    return FromBool(GdiPlayPageEMF(spool, pageHandle, document, border, clip));
}
