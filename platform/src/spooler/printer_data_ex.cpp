// GetPrinterDataExW and SetPrinterDataExW: printer data under a key the caller names.
#include <cstring>

#include <win/winspool.h>

#include "machine/api_guard.h"
#include "spooler/printer_handles.h"
#include "spooler/spooler_store.h"

DWORD GetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, LPDWORD pType, LPBYTE pData,
                        DWORD nSize, LPDWORD pcbNeeded) {
    return palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto handle = palvex::PrinterHandles().Find(hPrinter);
        if (!handle) return ERROR_INVALID_HANDLE;
        if (!pKeyName || !*pKeyName) return ERROR_INVALID_PARAMETER;
        if (!pValueName || !pcbNeeded) return RPC_X_NULL_REF_POINTER;
        if (!pData && nSize != 0) return ERROR_INVALID_USER_BUFFER;
        const auto value = palvex::spool::ReadPrinterData(handle->printerId, pKeyName, pValueName);
        if (!value) return ERROR_FILE_NOT_FOUND;
        *pcbNeeded = static_cast<DWORD>(value->data.size());
        if (pType) *pType = value->type;
        if (nSize < value->data.size()) return ERROR_MORE_DATA;
        if (!value->data.empty()) std::memcpy(pData, value->data.data(), value->data.size());
        return ERROR_SUCCESS;
    });
}

DWORD SetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, DWORD Type, LPBYTE pData,
                        DWORD cbData) {
    return palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto handle = palvex::PrinterHandles().Find(hPrinter);
        if (!handle) return ERROR_INVALID_HANDLE;
        if (!(handle->grantedAccess & PRINTER_ACCESS_ADMINISTER)) return ERROR_ACCESS_DENIED;
        if (!pKeyName || !*pKeyName) return ERROR_INVALID_PARAMETER;
        if (!pValueName) return RPC_X_NULL_REF_POINTER;
        if (!pData && cbData != 0) return ERROR_INVALID_USER_BUFFER;
        if (!palvex::spool::WritePrinterData(handle->printerId, pKeyName, pValueName, Type, pData, cbData))
            return ERROR_INVALID_PRINTER_NAME;  // deleted while the handle was open
        return ERROR_SUCCESS;
    });
}
