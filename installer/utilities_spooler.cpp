// Printer and driver lists from the spooler.
#include <cstring>
#include <win/winspool_levels.h>

#include "install_log.h"
#include "utilities.h"

namespace {

// EnumPrintersW with a buffer of one record first, then with the size the spooler asks for.
BOOL EnumPrintersLevel(DWORD flags, DWORD level, size_t recordSize, std::vector<BYTE>& buffer, DWORD& count) {
    DWORD needed = 0;
    count = 0;
    buffer.assign(recordSize, 0);
    if (EnumPrintersW(flags, nullptr, level, buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count))
        return TRUE;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return FALSE;
    buffer.assign(needed, 0);
    return EnumPrintersW(flags, nullptr, level, buffer.data(), needed, &needed, &count);
}

BOOL EnumAllPrinters(DWORD level, size_t recordSize, PrinterList& list, DWORD& error) {
    DWORD localCount = 0, connectionCount = 0;
    if (!EnumPrintersLevel(PRINTER_ENUM_LOCAL, level, recordSize, list.local, localCount) ||
        !EnumPrintersLevel(PRINTER_ENUM_CONNECTIONS, level, recordSize, list.connections, connectionCount)) {
        error = GetLastError();
        return FALSE;
    }
    list.count = localCount + connectionCount;
    list.joined.assign(recordSize * list.count, 0);
    if (localCount) std::memcpy(list.joined.data(), list.local.data(), recordSize * localCount);
    if (connectionCount)
        std::memcpy(list.joined.data() + recordSize * localCount, list.connections.data(), recordSize * connectionCount);
    error = ERROR_SUCCESS;
    return TRUE;
}

template <class Info>
const Info* Records(const PrinterList& list) {
    return reinterpret_cast<const Info*>(list.joined.data());
}

}  // namespace

BOOL GetPrinterInfo2(const std::u16string& printerName, std::vector<BYTE>& record, DWORD& error) {
    std::u16string name = printerName;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE | READ_CONTROL};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(name.data(), &printer, &defaults)) {
        error = GetLastError();
        return FALSE;
    }
    DWORD needed = 0;
    record.assign(sizeof(PRINTER_INFO_2W), 0);
    BOOL read = GetPrinterW(printer, 2, record.data(), static_cast<DWORD>(record.size()), &needed);
    if (!read && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        record.assign(needed, 0);
        read = GetPrinterW(printer, 2, record.data(), needed, &needed);
    }
    error = read ? ERROR_SUCCESS : GetLastError();
    ClosePrinter(printer);
    return read;
}

BOOL EnumPrinters2(DWORD flags, std::vector<BYTE>& buffer, DWORD& count) {
    return EnumPrintersLevel(flags, 2, sizeof(PRINTER_INFO_2W), buffer, count);
}

BOOL EnumPrinters5(DWORD flags, std::vector<BYTE>& buffer, DWORD& count) {
    return EnumPrintersLevel(flags, 5, sizeof(PRINTER_INFO_5W), buffer, count);
}

BOOL EnumAllPrinters2(PrinterList& list, DWORD& error) { return EnumAllPrinters(2, sizeof(PRINTER_INFO_2W), list, error); }

BOOL EnumAllPrinters5(PrinterList& list, DWORD& error) { return EnumAllPrinters(5, sizeof(PRINTER_INFO_5W), list, error); }

BOOL EnumPrinterDrivers3(const WCHAR* environment, std::vector<BYTE>& buffer, DWORD& count, DWORD& error) {
    std::u16string env = environment ? environment : u"";
    LPWSTR envArgument = environment ? env.data() : nullptr;
    DWORD needed = 0;
    count = 0;
    buffer.assign(sizeof(DRIVER_INFO_3W), 0);
    BOOL listed =
        EnumPrinterDriversW(nullptr, envArgument, 3, buffer.data(), static_cast<DWORD>(buffer.size()), &needed, &count);
    if (!listed && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.assign(needed, 0);
        listed = EnumPrinterDriversW(nullptr, envArgument, 3, buffer.data(), needed, &needed, &count);
    }
    error = listed ? ERROR_SUCCESS : GetLastError();
    return listed;
}

BOOL ExistPrinterDriver(const std::u16string& driverName) {
    std::vector<BYTE> buffer;
    DWORD count = 0, error = 0;
    if (!EnumPrinterDrivers3(nullptr, buffer, count, error)) return FALSE;
    const auto* drivers = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i)
        if (UpperCase(drivers[i].pName) == UpperCase(driverName.c_str())) return TRUE;
    return FALSE;
}

BOOL CheckInstallPrinter(const std::u16string& printerName) {
    PrinterList list;
    DWORD error = 0;
    if (!EnumAllPrinters5(list, error)) return FALSE;
    const auto* printers = Records<PRINTER_INFO_5W>(list);
    for (DWORD i = 0; i < list.count; ++i) {
        WriteGlobalLog(3, u"Check %s : %s\r\n", printerName.c_str(), printers[i].pPrinterName);
        if (UpperCase(printers[i].pPrinterName) == UpperCase(printerName.c_str())) return TRUE;
    }
    return FALSE;
}

BOOL HasPendingJobs(const std::u16string& driverName) {
    PrinterList list;
    DWORD error = 0;
    if (!EnumAllPrinters2(list, error)) return FALSE;
    const auto* printers = Records<PRINTER_INFO_2W>(list);
    for (DWORD i = 0; i < list.count; ++i)
        if (UpperCase(printers[i].pDriverName) == UpperCase(driverName.c_str()) && printers[i].cJobs > 0) return TRUE;
    return FALSE;
}

BOOL ExistPrinter(const std::u16string& printerName, DWORD& error) {
    std::u16string name = printerName;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(name.data(), &printer, &defaults)) {
        error = GetLastError();
        return FALSE;
    }
    ClosePrinter(printer);
    error = ERROR_SUCCESS;
    return TRUE;
}
