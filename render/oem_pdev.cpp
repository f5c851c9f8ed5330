#include "oem_pdev.h"

#include <new>

#include "process_facts.h"

OemPdev* CreateOEMPDEV(PDEVOBJ pdevobj, const PluginHooks* hooks, IDrvSettings* settings, IDrvResources* resources,
                       IPrintOemDriverUni* helper, const std::u16string& printerName, DWORD firstPagePaperSize) {
    OemPdev* pdev = new (std::nothrow) OemPdev;
    if (!pdev) return nullptr;
    pdev->m_settings = settings;
    pdev->m_resources = resources;
    pdev->m_publicDevmode = pdevobj->pPublicDM;
    pdev->m_privateDevmode = pdevobj->pOEMDM;
    pdev->m_hooks = hooks;
    pdev->m_pdevobj = pdevobj;
    pdev->m_helper = helper;
    pdev->m_printerName = printerName;
    pdev->m_layout.m_firstPagePaperSize = firstPagePaperSize;
    pdev->m_windows2000 = RunningOnWindows2000();
    return pdev;
}

void SaveUnidrvFunctions(OemPdev* pdev, const DRVENABLEDATA* enableData) {
    if (!enableData || !enableData->pdrvfn) return;
    for (ULONG i = 0; i < enableData->c; ++i) {
        const DRVFN& entry = enableData->pdrvfn[i];
        for (size_t slot = 0; slot < kUnidrvFnCount; ++slot)
            if (kUnidrvFnIndex[slot] == entry.iFunc) pdev->m_unidrv[slot] = entry.pfn;
    }
}

void FreeOEMPDEV(OemPdev* pdev) {
    delete pdev;
}

OemPdev* OemPdevOf(PDEVOBJ pdevobj) {
    return pdevobj ? static_cast<OemPdev*>(pdevobj->pdevOEM) : nullptr;
}

OemPdev* OemPdevOf(const SURFOBJ* surface) {
    return surface ? OemPdevOfHandle(surface->dhpdev) : nullptr;
}

OemPdev* OemPdevOfHandle(DHPDEV dhpdev) {
    return OemPdevOf(static_cast<PDEVOBJ>(dhpdev));
}
