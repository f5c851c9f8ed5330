// OpenPrinterW, ClosePrinter, GetPrinterDataW, SetPrinterDataW over the machine's spooler tables.
// Each call reads or writes the database, so processes that open the same printer see each
// other's writes at once.
#include <cstring>

#include <win/winspool.h>

#include "api_guard.h"
#include "handle_table.h"
#include "spooler_store.h"

namespace palvex {
namespace {

struct PrinterHandle {
    int64_t printerId = 0;
    std::u16string printerName;
    ACCESS_MASK grantedAccess = 0;
    std::u16string datatype;
};

HandleTable<PrinterHandle>& PrinterHandles() {
    static auto* table = new HandleTable<PrinterHandle>;  // outlives every static destructor
    return *table;
}

// The specific rights a desired access asks for, generic rights mapped to the printer's.
ACCESS_MASK MapPrinterAccess(ACCESS_MASK desired) {
    if (desired == 0) return PRINTER_ACCESS_USE;
    ACCESS_MASK mapped = desired & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
    if (desired & GENERIC_READ) mapped |= PRINTER_READ;
    if (desired & GENERIC_WRITE) mapped |= PRINTER_WRITE;
    if (desired & GENERIC_EXECUTE) mapped |= PRINTER_EXECUTE;
    if (desired & GENERIC_ALL) mapped |= PRINTER_ALL_ACCESS;
    return mapped;
}

}  // namespace
}  // namespace palvex

using palvex::GuardedCall;
using palvex::PrinterHandle;
using palvex::PrinterHandles;

BOOL OpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW pDefault) {
    const DWORD result = GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        if (!phPrinter) return ERROR_INVALID_PARAMETER;
        *phPrinter = nullptr;
        // The print server itself (a null name) is not one of the machine's printers here.
        if (!pPrinterName || !*pPrinterName) return ERROR_INVALID_PRINTER_NAME;
        const auto printer = palvex::spool::FindPrinter(pPrinterName);
        if (!printer) return ERROR_INVALID_PRINTER_NAME;
        auto handle = std::make_shared<PrinterHandle>();
        handle->printerId = printer->id;
        handle->printerName = printer->name;
        handle->grantedAccess = palvex::MapPrinterAccess(pDefault ? pDefault->DesiredAccess : 0);
        if (handle->grantedAccess & printer->deniedAccess) return ERROR_ACCESS_DENIED;
        if (pDefault && pDefault->pDatatype) handle->datatype = pDefault->pDatatype;
        *phPrinter = PrinterHandles().Insert(std::move(handle));
        return ERROR_SUCCESS;
    });
    if (result != ERROR_SUCCESS) {
        SetLastError(result);
        return FALSE;
    }
    return TRUE;
}

BOOL ClosePrinter(HANDLE hPrinter) {
    if (!PrinterHandles().Remove(hPrinter)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD GetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, LPDWORD pType, LPBYTE pData, DWORD nSize,
                      LPDWORD pcbNeeded) {
    return GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto handle = PrinterHandles().Find(hPrinter);
        if (!handle) return ERROR_INVALID_HANDLE;
        if (!pValueName || !pcbNeeded) return RPC_X_NULL_REF_POINTER;
        if (!pData && nSize != 0) return ERROR_INVALID_USER_BUFFER;
        const auto value = palvex::spool::ReadPrinterData(handle->printerId, palvex::spool::kPrinterDriverDataKey,
                                                          pValueName);
        if (!value) return ERROR_FILE_NOT_FOUND;
        *pcbNeeded = static_cast<DWORD>(value->data.size());
        if (pType) *pType = value->type;
        if (nSize < value->data.size()) return ERROR_MORE_DATA;
        if (!value->data.empty()) std::memcpy(pData, value->data.data(), value->data.size());
        return ERROR_SUCCESS;
    });
}

DWORD SetPrinterDataW(HANDLE hPrinter, LPWSTR pValueName, DWORD Type, LPBYTE pData, DWORD cbData) {
    return GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto handle = PrinterHandles().Find(hPrinter);
        if (!handle) return ERROR_INVALID_HANDLE;
        if (!(handle->grantedAccess & PRINTER_ACCESS_ADMINISTER)) return ERROR_ACCESS_DENIED;
        if (!pValueName) return RPC_X_NULL_REF_POINTER;
        if (!pData && cbData != 0) return ERROR_INVALID_USER_BUFFER;
        if (!palvex::spool::WritePrinterData(handle->printerId, palvex::spool::kPrinterDriverDataKey, pValueName, Type,
                                             pData, cbData))
            return ERROR_INVALID_PRINTER_NAME;  // deleted while the handle was open
        return ERROR_SUCCESS;
    });
}
