// CoUIPlugin::DevMode: the private devmode requests answered by the document settings object,
// which is made on the first call.
#include "couiplugin.h"

#include "settings_binding.h"
#include "xpc.h"

HRESULT CoUIPlugin::EnsureDocumentSettings(HANDLE printer) {
    if (m_documentSettings) return S_OK;
    if (SUCCEEDED(CreateBoundSettings(printer, SETTINGS_MODE_DOCUMENT, &m_documentSettings))) return S_OK;
    // The stored blocks could not be loaded: compile the description (it compiles only when the
    // source is newer than the blocks) and try once more.
    CompileByHandle(printer);
    return CreateBoundSettings(printer, SETTINGS_MODE_DOCUMENT, &m_documentSettings);
}

STDMETHODIMP CoUIPlugin::DevMode(DWORD mode, POEMDMPARAM param) {
    if (mode < OEMDM_SIZE || mode > OEMDM_MERGE || !param) return E_INVALIDARG;
    if (FAILED(EnsureDocumentSettings(param->hPrinter))) return E_NOTIMPL;
    if (m_hooks.m_devMode) {
        const HRESULT result = m_hooks.m_devMode(mode, param);
        if (!UiHookPassesOn(result)) return result;
    }
    switch (mode) {
    case OEMDM_SIZE:
        return m_documentSettings->GetDevmodeSize(&param->cbBufSize);
    case OEMDM_DEFAULT:
        return m_documentSettings->GetDefaultDevmode(&param->cbBufSize, param->pOEMDMOut);
    case OEMDM_CONVERT:
        return m_documentSettings->ConvertDevmode(&param->cbBufSize, param->pOEMDMOut, param->pOEMDMIn);
    default:
        break;
    }
    const HRESULT merged = m_documentSettings->MergeDevmode(&param->cbBufSize, param->pPublicDMOut,
                                                            param->pPublicDMIn, param->pOEMDMOut, param->pOEMDMIn);
    if (SUCCEEDED(merged) && m_hooks.m_afterMerge && param->pPublicDMOut &&
        param->pPublicDMOut->dmDuplex != DMDUP_SIMPLEX)
        m_hooks.m_afterMerge(param->hPrinter, param->pPublicDMOut);
    return merged;
}
