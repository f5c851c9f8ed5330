// The hook tables' model entries, the default paper (hook 0) and the print processor at printer
// initialisation (hook 4).
#include "model_hooks.h"

#include <vector>

#include "kittrace.h"
#include "printer_blocks.h"
#include "ticket/ticket_hooks.h"

WCHAR g_modelPrintProcessor[] = u"Orlune OLFAX QX500 Processor";

void FillModelHooks(CoUIPluginHooks* hooks) {
    hooks->m_devMode = hrOEMDevMode;
    hooks->m_printerEvent = hrOEMPrinterEvent;
    hooks->m_deviceCapabilities = hrOEMDeviceCapabilities;
    hooks->m_afterMerge = hrOEMStartDuplexHelper;
}

void FillModelTicketHooks(CoUIPluginTicketHooks* hooks) {
    FillTicketHooks(hooks);
}

HRESULT hrOEMDevMode(DWORD mode, POEMDMPARAM param) {
    if (mode != OEMDM_DEFAULT) return E_NOTIMPL;
    if (!param) return E_PENDING;
    const short wanted = GetMarketLangID(param->hPrinter) == 1033 ? DMPAPER_LETTER : DMPAPER_A4;
    PDEVMODEW devmode = param->pPublicDMIn;
    if (devmode && devmode->dmSize >= offsetof(DEVMODEW, dmPaperLength) && devmode->dmPaperSize != wanted) {
        devmode->dmPaperSize = wanted;
        devmode->dmFields |= DM_PAPERSIZE;
    }
    return E_PENDING;  // the settings object builds the private part
}

namespace {

// Whether the description asks for the model's print processor: PRNINFO loads (its geometry is
// read, nothing uses it here) and UIPINFO's first record has UIPDRV 1.
bool PrintProcessorWanted(LPCWSTR printerName) {
    OwnedStore printerInfo = LoadBlockByName(printerName, u"PRNINFO");
    XprTable* cursor = nullptr;
    if (!printerInfo || FetchFirstRow(printerInfo.get(), u"PRNINFO", &cursor) != 0 || !cursor) return false;
    WORD masterUnits[2] = {};
    DWORD margins[4] = {};
    GetValue(cursor, masterUnits, sizeof masterUnits, u"_MASTERUNITS");
    GetValue(cursor, margins, sizeof margins, u"_PAGEMARGINS");
    printerInfo.reset();

    OwnedStore uiInfo = LoadBlockByName(printerName, u"UIPINFO");
    cursor = nullptr;
    if (!uiInfo || FetchFirstRow(uiInfo.get(), u"UIPINFO", &cursor) != 0 || !cursor) return false;
    DWORD driverType = 0;
    return GetValue(cursor, &driverType, sizeof driverType, u"UIPDRV") == 0 && driverType == 1;
}

// Writes the model's print processor into the printer's level-2 information. The error of the
// write; ERROR_SUCCESS also when the information cannot be read (then nothing is written).
DWORD SetModelPrintProcessor(HANDLE printer) {
    DWORD needed = 0;
    if (!GetPrinterW(printer, 2, nullptr, 0, &needed) && GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return ERROR_SUCCESS;
    if (needed < sizeof(PRINTER_INFO_2W)) return ERROR_SUCCESS;
    std::vector<BYTE> buffer(needed);
    if (!GetPrinterW(printer, 2, buffer.data(), needed, &needed)) return ERROR_SUCCESS;
    reinterpret_cast<PRINTER_INFO_2W*>(buffer.data())->pPrintProcessor = g_modelPrintProcessor;
    if (!SetPrinterW(printer, 2, buffer.data(), 0)) return GetLastError();
    return ERROR_SUCCESS;
}

}  // namespace

HRESULT hrOEMPrinterEvent(PWSTR printerName, INT event, DWORD, LPARAM) {
    if (event != PRINTER_EVENT_INITIALIZE) return E_NOTIMPL;
    const bool wanted = printerName && *printerName && PrintProcessorWanted(printerName);
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!printerName || !OpenPrinterW(printerName, &printer, &defaults)) return E_PENDING;
    if (!wanted || (!IsWindows51() && !IsWindows52Workstation() && !IsWindows52Server())) {
        ClosePrinter(printer);
        return E_PENDING;
    }
    const DWORD error = SetModelPrintProcessor(printer);
    ClosePrinter(printer);
    if (error == ERROR_SUCCESS) return E_PENDING;  // the registry entries follow
    // The printer keeps the print processor it had: the event fails with the spooler's reason.
    DebugTrace(1, u"%s: print processor not set err=[%d]\n", u"CoUIPlugin::PrinterEvent", error);
    return HRESULT_FROM_WIN32(error);
}
