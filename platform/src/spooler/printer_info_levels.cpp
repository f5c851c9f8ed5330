// GetPrinterW levels 2 to 9 and the printer settings behind them (palvex/printer_settings.h).
#include "spooler/printer_info_levels.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <palvex/machine.h>
#include <palvex/printer_settings.h>
#include <win/winspool_levels.h>

#include "gdi/devmode_bytes.h"
#include "spooler/info_packer.h"
#include "spooler/jobs_store.h"
#include "machine/machine_db.h"
#include "spooler/spooler_store.h"
#include "crt/utf16.h"

namespace palvex {
namespace {

const db::SchemaPart kPrinterSettingsSchema(R"sql(
CREATE TABLE IF NOT EXISTS spool_printer_settings (
    printer_id INTEGER PRIMARY KEY REFERENCES spool_printers(id) ON DELETE CASCADE,
    attributes INTEGER NOT NULL,
    priority INTEGER NOT NULL,
    default_priority INTEGER NOT NULL,
    start_time INTEGER NOT NULL,
    until_time INTEGER NOT NULL,
    status INTEGER NOT NULL,
    share_name TEXT NOT NULL,
    comment TEXT NOT NULL,
    location TEXT NOT NULL,
    sep_file TEXT NOT NULL,
    datatype TEXT NOT NULL,
    parameters TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS spool_printer_devmodes (
    printer_id INTEGER NOT NULL REFERENCES spool_printers(id) ON DELETE CASCADE,
    per_user INTEGER NOT NULL,  -- 0 the printer's default, 1 the user's own
    devmode BLOB NOT NULL,
    PRIMARY KEY (printer_id, per_user));
)sql");

// Port time-outs of level 5 (the spooler's defaults).
constexpr DWORD kDeviceNotSelectedTimeout = 15000;
constexpr DWORD kTransmissionRetryTimeout = 45000;

// The security descriptor of every printer: self-relative, without owner, group or lists.
constexpr BYTE kEmptySecurityDescriptor[20] = {1, 0, SE_SELF_RELATIVE & 0xFF, SE_SELF_RELATIVE >> 8};

int64_t PrinterIdOf(const std::u16string& printerName) {
    const auto printer = spool::FindPrinter(printerName);
    if (!printer) throw MachineError(ERROR_INVALID_PRINTER_NAME, "unknown printer '" + text::ToUtf8(printerName) + "'");
    return printer->id;
}

PrinterSettingsDesc ReadSettings(int64_t printerId) {
    PrinterSettingsDesc settings;
    db::Statement read(R"sql(
        SELECT attributes, priority, default_priority, start_time, until_time, status, share_name, comment, location,
               sep_file, datatype, parameters
        FROM spool_printer_settings WHERE printer_id = ?1)sql");
    read.Bind(1, printerId);
    if (!read.Step()) return settings;
    settings.attributes = static_cast<DWORD>(read.Int(0));
    settings.priority = static_cast<DWORD>(read.Int(1));
    settings.defaultPriority = static_cast<DWORD>(read.Int(2));
    settings.startTime = static_cast<DWORD>(read.Int(3));
    settings.untilTime = static_cast<DWORD>(read.Int(4));
    settings.status = static_cast<DWORD>(read.Int(5));
    settings.shareName = read.Text16(6);
    settings.comment = read.Text16(7);
    settings.location = read.Text16(8);
    settings.sepFile = read.Text16(9);
    settings.datatype = read.Text16(10);
    settings.parameters = read.Text16(11);
    return settings;
}

std::optional<std::vector<BYTE>> ReadDevMode(int64_t printerId, bool perUser) {
    db::Statement read("SELECT devmode FROM spool_printer_devmodes WHERE printer_id = ?1 AND per_user = ?2");
    read.Bind(1, printerId).Bind(2, perUser ? 1 : 0);
    if (!read.Step()) return std::nullopt;
    std::vector<BYTE> devMode = read.Blob(0);
    if (!IsWholeDevMode(devMode)) return std::nullopt;  // never stored so; a damaged row counts as none
    return devMode;
}

void WriteDevMode(const std::u16string& printerName, bool perUser, const std::vector<BYTE>& devMode) {
    if (!devMode.empty() && !IsWholeDevMode(devMode))
        throw MachineError(ERROR_INVALID_PARAMETER, "the DEVMODE is not dmSize + dmDriverExtra bytes long");
    db::Transaction([&] {
        const int64_t printerId = PrinterIdOf(printerName);
        if (devMode.empty()) {
            db::Statement remove("DELETE FROM spool_printer_devmodes WHERE printer_id = ?1 AND per_user = ?2");
            remove.Bind(1, printerId).Bind(2, perUser ? 1 : 0).Run();
            return;
        }
        db::Statement write(
            "INSERT OR REPLACE INTO spool_printer_devmodes (printer_id, per_user, devmode) VALUES (?1, ?2, ?3)");
        write.Bind(1, printerId).Bind(2, perUser ? 1 : 0).BindBlob(3, devMode.data(), devMode.size()).Run();
    });
}

}  // namespace

PrinterSettingsDesc GetPrinterSettings(const std::u16string& printerName) {
    return ReadSettings(PrinterIdOf(printerName));
}

void SetPrinterSettings(const std::u16string& printerName, const PrinterSettingsDesc& settings) {
    db::Transaction([&] {
        db::Statement write(R"sql(
            INSERT OR REPLACE INTO spool_printer_settings
                (printer_id, attributes, priority, default_priority, start_time, until_time, status, share_name,
                 comment, location, sep_file, datatype, parameters)
            VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13))sql");
        write.Bind(1, PrinterIdOf(printerName)).Bind(2, static_cast<int64_t>(settings.attributes));
        write.Bind(3, static_cast<int64_t>(settings.priority)).Bind(4, static_cast<int64_t>(settings.defaultPriority));
        write.Bind(5, static_cast<int64_t>(settings.startTime)).Bind(6, static_cast<int64_t>(settings.untilTime));
        write.Bind(7, static_cast<int64_t>(settings.status)).Bind(8, settings.shareName).Bind(9, settings.comment);
        write.Bind(10, settings.location).Bind(11, settings.sepFile).Bind(12, settings.datatype);
        write.Bind(13, settings.parameters).Run();
    });
}

void SetPrinterDevMode(const std::u16string& printerName, const std::vector<BYTE>& devMode) {
    WriteDevMode(printerName, false, devMode);
}

void SetPrinterUserDevMode(const std::u16string& printerName, const std::vector<BYTE>& devMode) {
    WriteDevMode(printerName, true, devMode);
}

namespace spool {

DWORD GetPrinterInfoLevel(int64_t printerId, ACCESS_MASK grantedAccess, DWORD level, LPBYTE buffer, DWORD size,
                          LPDWORD needed) {
    if (level < 2 || level > 9) return ERROR_INVALID_LEVEL;
    if (!needed) return RPC_X_NULL_REF_POINTER;
    if (!buffer && size != 0) return ERROR_INVALID_USER_BUFFER;
    const bool mayReadSecurity = (grantedAccess & READ_CONTROL) != 0;
    if (level == 3 && !mayReadSecurity) return ERROR_ACCESS_DENIED;
    const auto printer = ReadPrinterDetails(printerId);
    if (!printer) return ERROR_INVALID_PRINTER_NAME;  // deleted while the handle was open
    const PrinterSettingsDesc settings = ReadSettings(printerId);

    switch (level) {
    case 2: {
        PRINTER_INFO_2W info{};
        InfoPacker packer(sizeof info);
        packer.AddString(printer->name, &info.pPrinterName);
        packer.AddString(settings.shareName, &info.pShareName);
        packer.AddString(printer->portName, &info.pPortName);
        packer.AddString(printer->driverName, &info.pDriverName);
        packer.AddString(settings.comment, &info.pComment);
        packer.AddString(settings.location, &info.pLocation);
        if (const auto devMode = ReadDevMode(printerId, false)) packer.AddBytes(*devMode, &info.pDevMode);
        packer.AddString(settings.sepFile, &info.pSepFile);
        packer.AddString(printer->printProcessor, &info.pPrintProcessor);
        packer.AddString(settings.datatype, &info.pDatatype);
        packer.AddString(settings.parameters, &info.pParameters);
        if (mayReadSecurity)
            packer.Add(kEmptySecurityDescriptor, sizeof kEmptySecurityDescriptor, 8, &info.pSecurityDescriptor);
        if (size >= packer.needed()) {
            info.Attributes = settings.attributes;
            info.Priority = settings.priority;
            info.DefaultPriority = settings.defaultPriority;
            info.StartTime = settings.startTime;
            info.UntilTime = settings.untilTime;
            info.Status = settings.status;
            info.cJobs = CountQueuedJobs(printerId);
        }
        return Deliver(packer, info, buffer, size, needed);
    }
    case 3: {
        PRINTER_INFO_3 info{};
        InfoPacker packer(sizeof info);
        packer.Add(kEmptySecurityDescriptor, sizeof kEmptySecurityDescriptor, 8, &info.pSecurityDescriptor);
        return Deliver(packer, info, buffer, size, needed);
    }
    case 4: {
        PRINTER_INFO_4W info{};
        InfoPacker packer(sizeof info);
        packer.AddString(printer->name, &info.pPrinterName);
        info.Attributes = settings.attributes;
        return Deliver(packer, info, buffer, size, needed);
    }
    case 5: {
        PRINTER_INFO_5W info{};
        InfoPacker packer(sizeof info);
        packer.AddString(printer->name, &info.pPrinterName);
        packer.AddString(printer->portName, &info.pPortName);
        info.Attributes = settings.attributes;
        info.DeviceNotSelectedTimeout = kDeviceNotSelectedTimeout;
        info.TransmissionRetryTimeout = kTransmissionRetryTimeout;
        return Deliver(packer, info, buffer, size, needed);
    }
    case 6: {
        PRINTER_INFO_6 info{settings.status};
        return Deliver(InfoPacker(sizeof info), info, buffer, size, needed);
    }
    case 7: {
        PRINTER_INFO_7W info{};
        info.dwAction = DSPRINT_UNPUBLISH;
        return Deliver(InfoPacker(sizeof info), info, buffer, size, needed);
    }
    default: {  // 8 and 9: one DEVMODE each
        PRINTER_INFO_8W info{};
        InfoPacker packer(sizeof info);
        if (const auto devMode = ReadDevMode(printerId, level == 9)) packer.AddBytes(*devMode, &info.pDevMode);
        return Deliver(packer, info, buffer, size, needed);
    }
    }
}

}  // namespace spool
}  // namespace palvex
