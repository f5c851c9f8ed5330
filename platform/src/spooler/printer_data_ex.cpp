// GetPrinterDataExW, SetPrinterDataExW and DeletePrinterDataExW: printer data under a key the
// caller names, in the same machine table as GetPrinterDataW's values; and DeletePrinterDataW,
// the delete under GetPrinterDataW's own key. The spooler publishes the printer's port under
// "DsSpooler" as "portName" (REG_MULTI_SZ, the one port name) unless a value of that name was
// stored.
#include <cstring>
#include <optional>
#include <string>

#include <win/winreg.h>
#include <win/winspool.h>

#include "machine/api_guard.h"
#include "machine/machine_db.h"
#include "spooler/printer_handles.h"
#include "spooler/spooler_store.h"

namespace {

bool Empty(LPCWSTR text) {
    return !text || !*text;
}

// The checks a change of printer data makes first: a printer handle opened for administration,
// a value name and a key name. ERROR_SUCCESS with the printer's id, else the error.
DWORD ChangeablePrinter(HANDLE printer, LPCWSTR keyName, LPCWSTR valueName, int64_t* printerId) {
    const auto handle = palvex::PrinterHandles().Find(printer);
    if (!handle) return ERROR_INVALID_HANDLE;
    if (!(handle->grantedAccess & PRINTER_ACCESS_ADMINISTER)) return ERROR_ACCESS_DENIED;
    if (!valueName) return RPC_X_NULL_REF_POINTER;
    if (Empty(keyName)) return ERROR_INVALID_PARAMETER;
    *printerId = handle->printerId;
    return ERROR_SUCCESS;
}

bool SameText(const std::u16string& a, const std::u16string& b) {
    return palvex::db::FoldKey(a) == palvex::db::FoldKey(b);
}

// What the spooler itself publishes of a printer.
std::optional<palvex::spool::PrinterDataValue> PublishedValue(int64_t printerId, LPCWSTR key, LPCWSTR value) {
    if (!SameText(key, u"DsSpooler") || !SameText(value, u"portName")) return std::nullopt;
    const auto printer = palvex::spool::ReadPrinterDetails(printerId);
    if (!printer) return std::nullopt;
    std::u16string list = printer->portName;
    list.push_back(u'\0');
    list.push_back(u'\0');
    palvex::spool::PrinterDataValue published;
    published.type = REG_MULTI_SZ;
    const auto* bytes = reinterpret_cast<const uint8_t*>(list.data());
    published.data.assign(bytes, bytes + list.size() * sizeof(char16_t));
    return published;
}

}  // namespace

DWORD GetPrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName, LPDWORD pType, LPBYTE pData,
                        DWORD nSize, LPDWORD pcbNeeded) {
    return palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto handle = palvex::PrinterHandles().Find(hPrinter);
        if (!handle) return ERROR_INVALID_HANDLE;
        if (!pValueName || !pcbNeeded) return RPC_X_NULL_REF_POINTER;
        if (Empty(pKeyName)) return ERROR_INVALID_PARAMETER;
        if (!pData && nSize != 0) return ERROR_INVALID_USER_BUFFER;
        auto value = palvex::spool::ReadPrinterData(handle->printerId, pKeyName, pValueName);
        if (!value) value = PublishedValue(handle->printerId, pKeyName, pValueName);
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
        int64_t printerId = 0;
        if (const DWORD error = ChangeablePrinter(hPrinter, pKeyName, pValueName, &printerId)) return error;
        if (!pData && cbData != 0) return ERROR_INVALID_USER_BUFFER;
        if (!palvex::spool::WritePrinterData(printerId, pKeyName, pValueName, Type, pData, cbData))
            return ERROR_INVALID_PRINTER_NAME;  // deleted while the handle was open
        return ERROR_SUCCESS;
    });
}

DWORD DeletePrinterDataExW(HANDLE hPrinter, LPCWSTR pKeyName, LPCWSTR pValueName) {
    return palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        int64_t printerId = 0;
        if (const DWORD error = ChangeablePrinter(hPrinter, pKeyName, pValueName, &printerId)) return error;
        palvex::db::Statement remove(
            "DELETE FROM spool_printer_data WHERE printer_id = ?1 AND key_key = ?2 AND value_key = ?3");
        remove.Bind(1, printerId).Bind(2, palvex::db::FoldKey(pKeyName)).Bind(3, palvex::db::FoldKey(pValueName));
        remove.Run();
        return palvex::db::ChangedRows() > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

DWORD DeletePrinterDataW(HANDLE hPrinter, LPWSTR pValueName) {
    return DeletePrinterDataExW(hPrinter, palvex::spool::kPrinterDriverDataKey, pValueName);
}
