// OpenPrinterW, ClosePrinter, GetPrinterDataW, SetPrinterDataW, GetPrinterW, GetPrinterDriverW and
// the spooler's folders over the machine's spooler tables.
// Each call reads or writes the database, so processes that open the same printer see each
// other's writes at once.
#include <cstring>
#include <string>
#include <vector>

#include <palvex/services.h>
#include <win/winspool.h>

#include "machine/api_guard.h"
#include "kernel/handle_table.h"
#include "machine/machine_db.h"
#include "spooler/printer_handles.h"
#include "spooler/printer_info_levels.h"
#include "spooler/spooler_store.h"

namespace palvex {

HandleTable<PrinterHandle>& PrinterHandles() {
    static auto* table = new HandleTable<PrinterHandle>;  // outlives every static destructor
    return *table;
}

namespace {

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

// Lays a structure and the strings it links to out in a caller's buffer: the structure first,
// then the strings one after another. A first pass (no buffer) measures.
class InfoWriter {
public:
    InfoWriter(LPBYTE buffer, size_t structSize) : m_buffer(buffer), m_used(structSize) {}

    // The text's copy in the buffer; null for an empty text.
    LPWSTR Add(const std::u16string& text) {
        if (text.empty()) return nullptr;
        return Place(text.data(), text.size() + 1);
    }
    // A NUL-separated list ended by a second NUL; null for an empty list.
    LPWSTR AddList(const std::vector<std::u16string>& texts) {
        if (texts.empty()) return nullptr;
        std::u16string joined;
        for (const auto& text : texts) {
            joined += text;
            joined += u'\0';
        }
        return Place(joined.data(), joined.size() + 1);
    }
    size_t used() const { return m_used; }

private:
    LPWSTR Place(const char16_t* units, size_t count) {
        LPWSTR at = m_buffer ? reinterpret_cast<LPWSTR>(m_buffer + m_used) : nullptr;
        if (at) {
            std::memcpy(at, units, count * sizeof(WCHAR));
            if (units[count - 1] != 0) at[count - 1] = 0;
        }
        m_used += count * sizeof(WCHAR);
        return at;
    }
    LPBYTE m_buffer;
    size_t m_used;
};

// Measures with fill(nullptr), then fills the caller's buffer when it is large enough.
template <class Fill>
DWORD FillInfo(LPBYTE buffer, DWORD size, LPDWORD needed, Fill&& fill) {
    if (!needed) return RPC_X_NULL_REF_POINTER;
    if (!buffer && size != 0) return ERROR_INVALID_USER_BUFFER;
    const size_t required = fill(nullptr);
    *needed = static_cast<DWORD>(required);
    if (size < required) return ERROR_INSUFFICIENT_BUFFER;
    std::memset(buffer, 0, required);
    fill(buffer);
    return ERROR_SUCCESS;
}

}  // namespace

std::u16string spool::SpoolFolder(LPCWSTR environment, const std::u16string& kind) {
    std::u16string env = environment && *environment ? environment : spool::kNativeEnvironment;
    std::u16string arch;
    if (lstrcmpiW(env.c_str(), u"Windows x64") == 0) {
        arch = u"x64";
    } else if (lstrcmpiW(env.c_str(), u"Windows NT x86") == 0) {
        arch = u"W32X86";
    } else {
        return {};
    }
    return u"C:\\Windows\\System32\\spool\\" + kind + u"\\" + arch;
}

// The enumeration reports driver files the same way.
std::u16string DriverFilePath(const std::u16string& environment, DWORD version, const std::u16string& file) {
    if (file.empty() || file.find_first_of(u"\\/:") != std::u16string::npos) return file;
    return spool::SpoolFolder(environment.c_str(), u"drivers") + u"\\" +
           std::u16string(1, static_cast<char16_t>(u'0' + version % 10)) +
           u"\\" + file;
}

namespace {

DWORD FolderInfo(LPWSTR name, LPWSTR environment, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                 const std::u16string& kind) {
    if (name && *name) return ERROR_INVALID_PARAMETER;  // only the local machine
    if (level != 1) return ERROR_INVALID_LEVEL;
    const std::u16string folder = spool::SpoolFolder(environment, kind);
    if (folder.empty()) return ERROR_INVALID_ENVIRONMENT;
    return FillInfo(buffer, size, needed, [&](LPBYTE at) -> size_t {
        InfoWriter writer(at, 0);
        writer.Add(folder);
        return writer.used();
    });
}

}  // namespace
}  // namespace palvex

using palvex::GuardedCall;
using palvex::PrinterHandle;
using palvex::PrinterHandles;

BOOL OpenPrinterW(LPWSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSW pDefault) {
    const DWORD result = GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const palvex::db::ReadScope reads;  // the spooler's state and the printer read alike
        if (!palvex::SpoolerRuns()) return RPC_S_SERVER_UNAVAILABLE;
        if (!phPrinter) return ERROR_INVALID_PARAMETER;
        *phPrinter = nullptr;
        // The print server itself (a null name) is not one of the machine's printers here.
        if (!pPrinterName || !*pPrinterName) return ERROR_INVALID_PRINTER_NAME;
        // A port monitor's data interface (XcvDataW, spool_ports.cpp).
        constexpr std::u16string_view kXcvMonitor = u",XcvMonitor ";
        if (std::u16string_view(pPrinterName).substr(0, kXcvMonitor.size()) == kXcvMonitor) {
            const std::u16string monitor(pPrinterName + kXcvMonitor.size());
            if (!palvex::spool::IsKnownMonitor(monitor)) return ERROR_INVALID_PRINTER_NAME;
            auto handle = std::make_shared<PrinterHandle>();
            handle->xcvMonitor = monitor;
            handle->grantedAccess = pDefault ? pDefault->DesiredAccess : 0;
            *phPrinter = PrinterHandles().Insert(std::move(handle));
            return ERROR_SUCCESS;
        }
        auto printer = palvex::spool::FindPrinter(pPrinterName);
        // Not a printer: perhaps one of its jobs, "<printer>, Job <n>".
        std::u16string jobPrinter;
        DWORD jobId = 0;
        if (!printer && palvex::spool::ParseJobName(pPrinterName, &jobPrinter, &jobId))
            printer = palvex::spool::FindPrinter(jobPrinter);
        if (!printer) return ERROR_INVALID_PRINTER_NAME;
        auto handle = std::make_shared<PrinterHandle>();
        handle->printerId = printer->id;
        handle->printerName = printer->name;
        handle->grantedAccess = palvex::MapPrinterAccess(pDefault ? pDefault->DesiredAccess : 0);
        if (handle->grantedAccess & printer->deniedAccess) return ERROR_ACCESS_DENIED;
        if (pDefault && pDefault->pDatatype) handle->datatype = pDefault->pDatatype;
        if (jobId != 0) {
            const DWORD attached = palvex::spool::AttachJob(*handle, jobId);
            if (attached != ERROR_SUCCESS) return attached;
        }
        *phPrinter = PrinterHandles().Insert(std::move(handle));
        return ERROR_SUCCESS;
    });
    return palvex::Finish(result);
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

BOOL GetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
    return palvex::Finish(GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto handle = PrinterHandles().Find(hPrinter);
        if (!handle) return ERROR_INVALID_HANDLE;
        if (Level >= 2 && Level <= 9)
            return palvex::spool::GetPrinterInfoLevel(handle->printerId, handle->grantedAccess, Level, pPrinter, cbBuf,
                                                      pcbNeeded);
        if (Level != 1) return ERROR_INVALID_LEVEL;
        const palvex::db::ReadScope reads;
        const auto printer = palvex::spool::ReadPrinterDetails(handle->printerId);
        if (!printer) return ERROR_INVALID_PRINTER_NAME;  // deleted while the handle was open
        return palvex::FillInfo(pPrinter, cbBuf, pcbNeeded, [&](LPBYTE at) -> size_t {
            palvex::InfoWriter writer(at, sizeof(PRINTER_INFO_1W));
            PRINTER_INFO_1W info{};
            info.Flags = PRINTER_ENUM_ICON8;
            info.pDescription = writer.Add(printer->name + u"," + printer->driverName + u",");
            info.pName = writer.Add(printer->name);
            info.pComment = nullptr;
            if (at) std::memcpy(at, &info, sizeof info);
            return writer.used();
        });
    }));
}

BOOL GetPrinterDriverW(HANDLE hPrinter, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                       LPDWORD pcbNeeded) {
    return palvex::Finish(GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto handle = PrinterHandles().Find(hPrinter);
        if (!handle) return ERROR_INVALID_HANDLE;
        if (Level != 3 && Level != 4) return ERROR_INVALID_LEVEL;
        const palvex::db::ReadScope reads;  // the printer and its driver read alike
        const auto printer = palvex::spool::ReadPrinterDetails(handle->printerId);
        if (!printer) return ERROR_INVALID_PRINTER_NAME;
        const auto driver = pEnvironment && *pEnvironment
                                ? palvex::spool::ReadDriver(printer->driverName, pEnvironment)
                                : palvex::spool::ReadDriver(printer->driverId);
        if (!driver) return ERROR_UNKNOWN_PRINTER_DRIVER;
        return palvex::FillInfo(pDriverInfo, cbBuf, pcbNeeded, [&](LPBYTE at) -> size_t {
            palvex::InfoWriter writer(at, Level == 3 ? sizeof(DRIVER_INFO_3W) : sizeof(DRIVER_INFO_4W));
            auto path = [&](const std::u16string& file) {
                return palvex::DriverFilePath(driver->environment, driver->version, file);
            };
            DRIVER_INFO_4W info{};
            info.cVersion = driver->version;
            info.pName = writer.Add(driver->name);
            info.pEnvironment = writer.Add(driver->environment);
            info.pDriverPath = writer.Add(path(driver->driverPath));
            info.pDataFile = writer.Add(path(driver->dataFile));
            info.pConfigFile = writer.Add(path(driver->configFile));
            info.pHelpFile = writer.Add(path(driver->helpFile));
            std::vector<std::u16string> files;
            for (const auto& file : driver->dependentFiles) files.push_back(path(file));
            info.pDependentFiles = writer.AddList(files);
            info.pMonitorName = writer.Add(driver->monitorName);
            info.pDefaultDataType = writer.Add(driver->defaultDataType);
            info.pszzPreviousNames = nullptr;
            if (at) std::memcpy(at, &info, Level == 3 ? sizeof(DRIVER_INFO_3W) : sizeof(DRIVER_INFO_4W));
            return writer.used();
        });
    }));
}

BOOL GetPrinterDriverDirectoryW(LPWSTR pName, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverDirectory, DWORD cbBuf,
                                LPDWORD pcbNeeded) {
    return palvex::Finish(GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        return palvex::FolderInfo(pName, pEnvironment, Level, pDriverDirectory, cbBuf, pcbNeeded, u"drivers");
    }));
}

BOOL GetPrintProcessorDirectoryW(LPWSTR pName, LPWSTR pEnvironment, DWORD Level, LPBYTE pPrintProcessorInfo,
                                 DWORD cbBuf, LPDWORD pcbNeeded) {
    return palvex::Finish(GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        return palvex::FolderInfo(pName, pEnvironment, Level, pPrintProcessorInfo, cbBuf, pcbNeeded, u"prtprocs");
    }));
}
