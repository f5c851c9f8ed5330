// CoPlugin: the driver's helper, the DRVFN table, the OEM PDEV's life, and the bytes the universal
// driver writes through the plug-in.
#include <algorithm>
#include <cstring>
#include <vector>

#include "coplugin.h"
#include "ddi_functions.h"
#include "oem_pdev.h"
#include "watermark_output.h"
#include "page_layout.h"
#include "settings_access.h"
#include "settings_objects.h"

namespace {

// The printer's name as the spooler keeps it (PRINTER_INFO_5), else the name the driver passed.
std::u16string PrinterName(HANDLE printer, PCWSTR passedName) {
    DWORD needed = 0;
    GetPrinterW(printer, 5, nullptr, 0, &needed);
    if (needed >= sizeof(PRINTER_INFO_5W)) {
        std::vector<BYTE> buffer(needed);
        if (GetPrinterW(printer, 5, buffer.data(), needed, &needed)) {
            const PRINTER_INFO_5W* info = reinterpret_cast<PRINTER_INFO_5W*>(buffer.data());
            if (info->pPrinterName && info->pPrinterName[0]) return info->pPrinterName;
        }
    }
    return passedName ? std::u16string(passedName) : std::u16string();
}

// The universal driver's "GraphicsMode" setting is HP-GL/2.
bool GraphicsModeIsHpgl2(IPrintOemDriverUni* helper, PDEVOBJ pdevobj) {
    if (!helper) return false;
    char value[256] = {};
    DWORD needed = 0;
    DWORD options = 0;
    if (helper->DrvGetDriverSetting(pdevobj, "GraphicsMode", value, sizeof value, &needed, &options) != S_OK)
        return false;
    value[sizeof value - 1] = '\0';
    return std::strcmp(value, "HPGL2MODE") == 0;
}

}  // namespace

STDMETHODIMP CoPlugin::PublishDriverInterface(IUnknown* helper) {
    if (!helper) return E_INVALIDARG;
    if (!m_obtainedAsUni) return E_FAIL;
    if (m_helper) return S_OK;
    void* object = nullptr;
    if (SUCCEEDED(helper->QueryInterface(IID_IPrintOemDriverUni, &object)) && object) {
        m_helper = static_cast<IPrintOemDriverUni*>(object);
        return S_OK;
    }
    if (object) static_cast<IUnknown*>(object)->Release();
    m_helper = nullptr;
    return E_FAIL;
}

STDMETHODIMP CoPlugin::EnableDriver(DWORD driverVersion, DWORD size, PDRVENABLEDATA enableData) {
    if (!enableData) return E_FAIL;
    if (m_hooks.m_enableDriver) {
        const HRESULT result = m_hooks.m_enableDriver(driverVersion, size, enableData);
        if (!HookPassesOn(result)) return result;
    }
    if (!m_obtainedAsUni) return S_OK;
    enableData->iDriverVersion = DDI_DRIVER_VERSION_NT5;
    enableData->c = kPluginDrvFnCount;
    enableData->pdrvfn = PluginDrvFnTable();
    return S_OK;
}

STDMETHODIMP CoPlugin::EnablePDEV(PDEVOBJ pdevobj, PWSTR printerName, ULONG patterns, HSURF* patternSurfaces,
                                  ULONG gdiInfoSize, GDIINFO* gdiInfo, ULONG devInfoSize, DEVINFO* devInfo,
                                  DRVENABLEDATA* enableData, PDEVOEM* oemPdev) {
    if (!pdevobj || !devInfo || !enableData) return E_FAIL;
    std::u16string name = PrinterName(pdevobj->hPrinter, printerName);
    if (m_hooks.m_enablePDEV) {
        const HRESULT result = m_hooks.m_enablePDEV(pdevobj, name.data(), patterns, patternSurfaces, gdiInfoSize,
                                                    gdiInfo, devInfoSize, devInfo, enableData, oemPdev);
        if (!HookPassesOn(result)) return result;
    }
    // One resources object serves every PDEV of the object: a PDEV being reset still borrows it.
    if (!m_resources && FAILED(CreateResourcesByHandle(pdevobj->hPrinter, &m_resources))) return E_FAIL;
    if (!m_obtainedAsUni) return S_OK;
    // Without a place to hand it over the OEM PDEV would be lost.
    if (!oemPdev) return E_FAIL;

    OemPdev* pdev = CreateOEMPDEV(pdevobj, &m_hooks, m_settings, m_resources, m_helper, name, m_firstPagePaperSize);
    if (!pdev) return E_OUTOFMEMORY;
    *oemPdev = pdev;
    SaveUnidrvFunctions(pdev, enableData);
    LoadLayoutSettings(pdev, gdiInfoSize >= sizeof(GDIINFO) ? gdiInfo : nullptr);

    if (!m_pdlType)
        m_pdlType = ReadField<DWORD>(m_settings, pdevobj->pOEMDM, u"_PDLTYPE", SETTINGS_SELECT_DEVMODE);
    pdev->m_pdlType = m_pdlType;
    if (m_pdlType >= 40 && m_pdlType <= 49 && GraphicsModeIsHpgl2(m_helper, pdevobj)) pdev->m_modeFlags |= kModeHpgl2;
    if (ReadField<BYTE>(m_settings, pdevobj->pOEMDM, u"_GRXMODE", SETTINGS_SELECT_DEVMODE) == 0)
        pdev->m_modeFlags |= kModeTextAsGraphics;
    return S_OK;
}

STDMETHODIMP CoPlugin::DisablePDEV(PDEVOBJ pdevobj) {
    if (!pdevobj) return E_FAIL;
    if (m_hooks.m_disablePDEV) {
        const HRESULT result = m_hooks.m_disablePDEV(pdevobj);
        if (!HookPassesOn(result)) return result;
    }
    if (!m_obtainedAsUni) return S_OK;
    OemPdev* pdev = OemPdevOf(pdevobj);
    if (!pdev) return E_FAIL;
    FreeOEMPDEV(pdev);
    pdevobj->pdevOEM = nullptr;
    return S_OK;
}

STDMETHODIMP CoPlugin::ResetPDEV(PDEVOBJ oldPdevobj, PDEVOBJ newPdevobj) {
    if (!oldPdevobj || !newPdevobj) return E_FAIL;
    if (m_hooks.m_resetPDEV) {
        const HRESULT result = m_hooks.m_resetPDEV(oldPdevobj, newPdevobj);
        if (!HookPassesOn(result)) return result;
    }
    if (!m_obtainedAsUni) return S_OK;
    OemPdev* newPdev = OemPdevOf(newPdevobj);
    OemPdev* oldPdev = OemPdevOf(oldPdevobj);
    if (FAILED(CarryPDEVState(newPdev, oldPdev))) return E_FAIL;
    CarryWatermarkState(newPdev, oldPdev);
    return S_OK;
}

STDMETHODIMP CoPlugin::WritePrinter(PDEVOBJ pdevobj, PVOID buffer, DWORD size, PDWORD written) {
    if (!pdevobj) {
        if (buffer || size) return E_FAIL;
        if (written) *written = 0;
        return S_OK;
    }
    if (m_hooks.m_writePrinter) {
        const HRESULT result = m_hooks.m_writePrinter(pdevobj, buffer, size, written);
        if (!HookPassesOn(result)) return result;
    }
    OemPdev* pdev = OemPdevOf(pdevobj);
    if (!pdev) return E_FAIL;
    // The caller learns what reached the spooler, never more: a short or failed write must not
    // read as the whole buffer sent.
    if (written) *written = 0;
    if (!buffer) return E_FAIL;
    if (size == 0) return S_OK;
    if (!pdev->m_helper) return E_FAIL;
    DWORD sent = 0;
    const HRESULT result = pdev->m_helper->DrvWriteSpoolBuf(pdevobj, buffer, size, &sent);
    if (written) *written = std::min(sent, size);
    return result;
}
