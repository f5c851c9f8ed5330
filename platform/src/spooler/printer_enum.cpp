// EnumPrintersW and EnumPrinterDriversW: each record is filled as GetPrinterW and
// GetPrinterDriverW fill one, then the records are laid out one after the other at the start of
// the caller's buffer with what they link to behind them.
#include <cstring>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/services.h>
#include <win/winspool.h>
#include <win/winspool_levels.h>

#include "machine/api_guard.h"
#include "spooler/printer_handles.h"
#include "spooler/spooler_store.h"
#include "crt/utf16.h"

namespace {

// One record as a fill call gave it: the structure and what it links to, with links relative to
// the record's own buffer.
struct Record {
    std::vector<BYTE> bytes;
    size_t fixed = 0;
};

// Lays the records out: structures first, then each record's linked part (8-byte aligned), with
// every link moved to where its part now lies. A link is any pointer-sized field of a structure
// that points into its record's linked part.
DWORD Pack(const std::vector<Record>& records, size_t fixed, LPBYTE buffer, DWORD size, LPDWORD needed,
           LPDWORD returned) {
    size_t total = fixed * records.size();
    std::vector<size_t> tails;
    for (const auto& record : records) {
        total = (total + 7) / 8 * 8;
        tails.push_back(total);
        total += record.bytes.size() - record.fixed;
    }
    if (needed) *needed = static_cast<DWORD>(total);
    if (returned) *returned = 0;
    if (!buffer || size < total) return records.empty() ? ERROR_SUCCESS : ERROR_INSUFFICIENT_BUFFER;
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& record = records[i];
        BYTE* structure = buffer + fixed * i;
        std::memcpy(structure, record.bytes.data(), fixed);
        std::memcpy(buffer + tails[i], record.bytes.data() + record.fixed, record.bytes.size() - record.fixed);
        const auto base = reinterpret_cast<uintptr_t>(record.bytes.data());
        for (size_t offset = 0; offset + sizeof(void*) <= fixed; offset += sizeof(void*)) {
            uintptr_t link = 0;
            std::memcpy(&link, structure + offset, sizeof link);
            if (link < base + record.fixed || link >= base + record.bytes.size()) continue;
            link = reinterpret_cast<uintptr_t>(buffer + tails[i]) + (link - base - record.fixed);
            std::memcpy(structure + offset, &link, sizeof link);
        }
    }
    if (returned) *returned = static_cast<DWORD>(records.size());
    return ERROR_SUCCESS;
}

DWORD PrinterRecord(const std::u16string& name, DWORD level, Record* record) {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE | READ_CONTROL};
    std::u16string writable = name;
    if (!OpenPrinterW(writable.data(), &printer, &defaults)) return GetLastError();
    DWORD size = 0;
    GetPrinterW(printer, level, nullptr, 0, &size);
    record->bytes.assign(size, 0);
    const BOOL read = size && GetPrinterW(printer, level, record->bytes.data(), size, &size);
    const DWORD error = read ? ERROR_SUCCESS : GetLastError();
    ClosePrinter(printer);
    record->fixed = level == 2 ? sizeof(PRINTER_INFO_2W) : sizeof(PRINTER_INFO_5W);
    return error;
}

void AddText(std::vector<BYTE>& bytes, size_t field, const std::u16string& text, bool list = false) {
    if (text.empty() && !list) return;
    const size_t at = bytes.size();
    const auto* data = reinterpret_cast<const BYTE*>(text.c_str());
    bytes.insert(bytes.end(), data, data + (text.size() + 1) * sizeof(char16_t));
    if (list) bytes.insert(bytes.end(), {0, 0});
    // Offsets stand in for links until the record's bytes stop moving.
    const uintptr_t offset = at;
    std::memcpy(bytes.data() + field, &offset, sizeof offset);
}

Record DriverRecord(const palvex::DriverDesc& driver) {
    Record record;
    record.fixed = sizeof(DRIVER_INFO_3W);
    record.bytes.assign(record.fixed, 0);
    const DWORD version = 3;
    std::memcpy(record.bytes.data() + offsetof(DRIVER_INFO_3W, cVersion), &version, sizeof version);
    auto path = [&](const std::u16string& file) { return palvex::DriverFilePath(driver.environment, version, file); };
    std::vector<std::pair<size_t, std::u16string>> texts = {
        {offsetof(DRIVER_INFO_3W, pName), driver.name},
        {offsetof(DRIVER_INFO_3W, pEnvironment), driver.environment},
        {offsetof(DRIVER_INFO_3W, pDriverPath), path(driver.driverPath)},
        {offsetof(DRIVER_INFO_3W, pDataFile), path(driver.dataFile)},
        {offsetof(DRIVER_INFO_3W, pConfigFile), path(driver.configFile)},
        {offsetof(DRIVER_INFO_3W, pHelpFile), path(driver.helpFile)},
        {offsetof(DRIVER_INFO_3W, pMonitorName), driver.monitorName},
        {offsetof(DRIVER_INFO_3W, pDefaultDataType), driver.defaultDataType}};
    for (const auto& [field, text] : texts) AddText(record.bytes, field, text);
    if (!driver.dependentFiles.empty()) {
        std::u16string list;
        for (const auto& file : driver.dependentFiles) list += path(file) + u'\0';
        list.pop_back();
        AddText(record.bytes, offsetof(DRIVER_INFO_3W, pDependentFiles), list, true);
    }
    // Turn the offsets into links into this record's bytes.
    for (size_t field = sizeof(DWORD) * 2; field < record.fixed; field += sizeof(void*)) {
        uintptr_t offset = 0;
        std::memcpy(&offset, record.bytes.data() + field, sizeof offset);
        if (!offset) continue;
        const uintptr_t link = reinterpret_cast<uintptr_t>(record.bytes.data()) + offset;
        std::memcpy(record.bytes.data() + field, &link, sizeof link);
    }
    return record;
}

}  // namespace

BOOL EnumPrintersW(DWORD Flags, LPWSTR Name, DWORD Level, LPBYTE pPrinterEnum, DWORD cbBuf, LPDWORD pcbNeeded,
                   LPDWORD pcReturned) {
    return palvex::Finish(palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        if (!palvex::SpoolerRuns()) return RPC_S_SERVER_UNAVAILABLE;
        if (!pcbNeeded || !pcReturned) return ERROR_INVALID_PARAMETER;
        if (Level != 2 && Level != 5) return ERROR_INVALID_LEVEL;
        if (Name && *Name) return ERROR_INVALID_NAME;  // only the local machine
        std::vector<Record> records;
        if (Flags & PRINTER_ENUM_LOCAL) {
            for (const auto& printer : palvex::ListPrinters()) {
                Record record;
                if (const DWORD error = PrinterRecord(printer.name, Level, &record)) {
                    if (error == ERROR_INVALID_PRINTER_NAME) continue;  // deleted meanwhile
                    return error;
                }
                records.push_back(std::move(record));
            }
        }
        return Pack(records, Level == 2 ? sizeof(PRINTER_INFO_2W) : sizeof(PRINTER_INFO_5W), pPrinterEnum, cbBuf,
                    pcbNeeded, pcReturned);
    }));
}

BOOL EnumPrinterDriversW(LPWSTR pName, LPWSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo, DWORD cbBuf,
                         LPDWORD pcbNeeded, LPDWORD pcReturned) {
    return palvex::Finish(palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        if (!palvex::SpoolerRuns()) return RPC_S_SERVER_UNAVAILABLE;
        if (!pcbNeeded || !pcReturned) return ERROR_INVALID_PARAMETER;
        if (Level != 3) return ERROR_INVALID_LEVEL;
        if (pName && *pName) return ERROR_INVALID_NAME;
        const std::u16string environment = pEnvironment && *pEnvironment ? pEnvironment : u"Windows x64";
        if (palvex::text::Upcase(environment) != u"WINDOWS X64" && palvex::text::Upcase(environment) != u"WINDOWS NT X86")
            return ERROR_INVALID_ENVIRONMENT;
        std::vector<Record> records;
        for (const auto& driver : palvex::ListDrivers())
            if (palvex::text::Upcase(driver.environment) == palvex::text::Upcase(environment))
                records.push_back(DriverRecord(driver));
        return Pack(records, sizeof(DRIVER_INFO_3W), pDriverInfo, cbBuf, pcbNeeded, pcReturned);
    }));
}
