#include "reginfo.h"

#include "kittrace.h"
#include "printer_blocks.h"

HRESULT WriteRegInfoEntries(XprStore* store, HANDLE printer) {
    XprTable* info = nullptr;
    if (FetchRow(store, u"REGINFO", &info, nullptr) != 0 || !info) return S_OK;
    HRESULT result = S_OK;
    XprTable* entry = nullptr;
    while (FetchRow(store, u"REGENTRY", &entry, nullptr) == 0 && entry) {
        LPWSTR name = nullptr;
        if (GetValue(entry, &name, sizeof name, u"VALUENAME") != 0 || !name || !*name) continue;
        LPWSTR text = nullptr;
        DWORD error = ERROR_SUCCESS;
        if (GetValue(entry, &text, sizeof text, u"VALUESTR") == 0 && text) {
            const DWORD bytes = static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(WCHAR));
            error = SetPrinterDataW(printer, name, REG_SZ, reinterpret_cast<LPBYTE>(text), bytes);
        } else {
            DWORD number = 0;
            GetValue(entry, &number, sizeof number, u"VALUENUM");
            error = SetPrinterDataW(printer, name, REG_DWORD, reinterpret_cast<LPBYTE>(&number), sizeof number);
        }
        if (error != ERROR_SUCCESS) {
            // The other entries are still written; the caller learns that one was not.
            DebugTrace(2, u"%s: SetPrinterData [%s] err=[%d]\n", u"CoUIPlugin::WriteRegInfo", name, error);
            result = E_FAIL;
        }
    }
    return result;
}

HRESULT WriteRegInfo(LPCWSTR printerName) {
    OwnedStore store = LoadBlockByName(printerName, u"REGINFO");
    if (!store) return E_NOTIMPL;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    // A printer that may not be administered here is left alone: nothing was tried.
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName), &printer, &defaults)) return S_OK;
    const HRESULT written = WriteRegInfoEntries(store.get(), printer);
    ClosePrinter(printer);
    return written;
}
