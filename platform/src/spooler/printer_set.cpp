// SetPrinterW: level 2 changes the printer's print processor, settings and DEVMODE.
#include <vector>

#include <palvex/machine.h>
#include <palvex/printer_settings.h>
#include <win/winreg.h>
#include <win/winspool_levels.h>

#include "machine/api_guard.h"
#include "machine/machine_db.h"
#include "spooler/printer_handles.h"
#include "spooler/spooler_store.h"
#include "crt/utf16.h"

namespace palvex {
namespace {

constexpr char16_t kPrintProcessorsKey[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Print\\Environments\\Windows x64\\Print Processors\\";

std::u16string TextOf(LPCWSTR text) {
    return text ? std::u16string(text) : std::u16string();
}

bool SameName(const std::u16string& a, const std::u16string& b) {
    return text::Upcase(a) == text::Upcase(b);
}

bool PrintProcessorInstalled(const std::u16string& name) {
    if (name.empty()) return false;
    if (SameName(name, u"winprint")) return true;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kPrintProcessorsKey + name).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

DWORD SetLevel2(const PrinterHandle& handle, const PRINTER_INFO_2W& info) {
    const auto printer = spool::ReadPrinterDetails(handle.printerId);
    if (!printer) return ERROR_INVALID_PRINTER_NAME;  // deleted while the handle was open
    if (info.pPrinterName && !SameName(info.pPrinterName, printer->name)) return ERROR_NOT_SUPPORTED;
    if (info.pDriverName && !SameName(info.pDriverName, printer->driverName)) return ERROR_NOT_SUPPORTED;
    const std::u16string processor = TextOf(info.pPrintProcessor);
    if (!PrintProcessorInstalled(processor)) return ERROR_UNKNOWN_PRINTPROCESSOR;
    std::vector<BYTE> devmode;
    if (info.pDevMode) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(info.pDevMode);
        devmode.assign(bytes, bytes + info.pDevMode->dmSize + info.pDevMode->dmDriverExtra);
    }

    PrinterSettingsDesc settings = GetPrinterSettings(printer->name);
    settings.attributes = info.Attributes;
    settings.priority = info.Priority;
    settings.defaultPriority = info.DefaultPriority;
    settings.startTime = info.StartTime;
    settings.untilTime = info.UntilTime;
    settings.shareName = TextOf(info.pShareName);
    settings.comment = TextOf(info.pComment);
    settings.location = TextOf(info.pLocation);
    settings.sepFile = TextOf(info.pSepFile);
    settings.datatype = TextOf(info.pDatatype);
    settings.parameters = TextOf(info.pParameters);
    db::Transaction([&] {
        if (!devmode.empty()) SetPrinterDevMode(printer->name, devmode);
        SetPrinterSettings(printer->name, settings);
        db::Statement update("UPDATE spool_printers SET print_processor = ?2 WHERE id = ?1");
        update.Bind(1, handle.printerId).Bind(2, processor).Run();
        // A printer moves to another port when the record names one.
        if (info.pPortName && *info.pPortName) {
            db::Statement move("UPDATE spool_printers SET port_name = ?2 WHERE id = ?1");
            move.Bind(1, handle.printerId).Bind(2, TextOf(info.pPortName)).Run();
        }
    });
    return ERROR_SUCCESS;
}

}  // namespace
}  // namespace palvex

BOOL SetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD Command) {
    return palvex::Finish(palvex::GuardedCall(RPC_S_SERVER_UNAVAILABLE, [&]() -> DWORD {
        const auto handle = palvex::PrinterHandles().Find(hPrinter);
        if (!handle) return ERROR_INVALID_HANDLE;
        if (Level != 2) return ERROR_INVALID_LEVEL;
        if (Command != 0) return ERROR_NOT_SUPPORTED;
        if (!pPrinter) return ERROR_INVALID_PARAMETER;
        if (!(handle->grantedAccess & PRINTER_ACCESS_ADMINISTER)) return ERROR_ACCESS_DENIED;
        try {
            return palvex::SetLevel2(*handle, *reinterpret_cast<const PRINTER_INFO_2W*>(pPrinter));
        } catch (const palvex::MachineError& error) {
            return error.code();
        }
    }));
}
