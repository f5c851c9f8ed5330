#include "couipluginext.h"

#include <win/winbase_actctx.h>
#include <win/winprofile.h>

#include "items/handler_factory.h"
#include "items/optitem_builder.h"
#include "kitstatus.h"
#include "model_hooks.h"
#include "sheet_pages.h"

namespace {

void CloseStore(XprStore*& store) {
    if (!store) return;
    FreeBlock(store);
    HeapFree(GetProcessHeap(), 0, store);
    store = nullptr;
}

}  // namespace

CoUIPluginExt::~CoUIPluginExt() {
    CloseStore(m_features);
    CloseStore(m_uipInfo);
    if (m_activationContext && m_activationContext != INVALID_HANDLE_VALUE) ReleaseActCtx(m_activationContext);
    if (m_tabImages) ImageList_Destroy(m_tabImages);
    if (m_themeLibrary) FreeLibrary(m_themeLibrary);
    if (m_factory) m_factory->Destroy();
    if (m_resources) m_resources->Release();
    if (m_settings) m_settings->Release();
    if (m_helper) m_helper->Release();
}

HRESULT CoUIPluginExt::Init(DWORD mode, POEMCUIPPARAM param, IPrintOemDriverUI* helper, IDrvSettings* settings) {
    if ((mode != OEMCUIP_DOCPROP && mode != OEMCUIP_PRNPROP) || !param) return E_INVALIDARG;
    m_sheetWords[1] = mode;
    m_record = param;
    lstrcpynW(m_printerName, param->pPrinterName ? param->pPrinterName : u"", kPrinterNameChars);
    if (helper) helper->AddRef();
    if (m_helper) m_helper->Release();
    m_helper = helper;
    if (settings) settings->AddRef();
    if (m_settings) m_settings->Release();
    m_settings = settings;
    m_featureTable = mode == OEMCUIP_DOCPROP ? u"DOCUMENTFEATURE" : u"PRINTERFEATURE";
    if (!IsWindows50() && !m_themeLibrary) LoadThemeCall(this);
    HANDLE printer = param->hPrinter;
    if (!printer || printer == INVALID_HANDLE_VALUE) return E_FAIL;
    CloseStore(m_uipInfo);
    CloseStore(m_features);
    if (CreateByHandle(&m_uipInfo, printer, u"UIPINFO") >= KIT_SEVERITY_ERROR ||
        CreateByHandle(&m_features, printer, m_featureTable) >= KIT_SEVERITY_ERROR)
        return E_FAIL;
    if (!m_resources && FAILED(CreateResources(&m_resources, printer, param->hOEMHeap))) return E_FAIL;
    // The driver ini may choose the sheet form before the description does.
    if (LPCWSTR ini = m_resources->GetIniFileName(); ini && *ini)
        m_sheetWords[0] = GetPrivateProfileIntW(u"UIPSETTINGS", mode == OEMCUIP_DOCPROP ? u"UIPTYPEDOCUMENT" : u"UIPTYPEPRINTER",
                                                0, ini);
    if (FAILED(ReadUIPInfo(this))) return E_FAIL;
    // The kit's own pages need at least the page the universal driver's page is built from.
    if (UiType() == kUiTypeSheets && (m_sheetCount == 0 || !m_sheets)) return E_FAIL;
    return S_OK;
}

HRESULT CoUIPluginExt::CountOptItems(POEMCUIPPARAM param) {
    m_record = param;
    return CountSheetItems(this, param);
}

HRESULT CoUIPluginExt::BuildOptItems(POEMCUIPPARAM param) {
    m_record = param;
    return BuildSheetItems(this, param);
}

