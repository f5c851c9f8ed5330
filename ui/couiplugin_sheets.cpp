// CoUIPlugin's property-sheet methods: CommonUIProp with its sheet state, and the two sheet calls.
#include <new>

#include "couiplugin.h"
#include "couipluginext.h"
#include "xpc.h"

HRESULT CoUIPlugin::EnsureSheetState(DWORD mode, POEMCUIPPARAM param) {
    if (m_sheetState) return S_OK;
    // The counting call compiles the description first, so that the items come from a current one.
    if (!param->pOEMOptItems) CompileByHandle(param->hPrinter);
    CoUIPluginExt* state = new (std::nothrow) CoUIPluginExt;
    if (!state) return E_NOTIMPL;
    state->AddRef();
    if (FAILED(state->Init(mode, param, m_driverHelper, m_documentSettings))) {
        state->Release();
        return E_NOTIMPL;
    }
    m_sheetState = state;
    return S_OK;
}

STDMETHODIMP CoUIPlugin::CommonUIProp(DWORD mode, POEMCUIPPARAM param) {
    if (!param) return E_INVALIDARG;
    if (mode != OEMCUIP_DOCPROP && mode != OEMCUIP_PRNPROP) return E_NOTIMPL;
    const HRESULT made = EnsureSheetState(mode, param);
    if (FAILED(made)) return made;
    if (m_hooks.m_commonUIProp) {
        const HRESULT result = m_hooks.m_commonUIProp(mode, param);
        if (!UiHookPassesOn(result)) return result;
    }
    return param->pOEMOptItems ? m_sheetState->BuildOptItems(param) : m_sheetState->CountOptItems(param);
}

STDMETHODIMP CoUIPlugin::DocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam) {
    if (!info || info->Version != PROPSHEETUI_INFO_VERSION) return E_INVALIDARG;
    if (m_hooks.m_documentPropertySheets) {
        const HRESULT result = m_hooks.m_documentPropertySheets(info, lParam);
        if (!UiHookPassesOn(result)) return result;
    }
    return m_sheetState ? m_sheetState->AddPropertySheets(info, lParam) : E_NOTIMPL;
}

STDMETHODIMP CoUIPlugin::DevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM lParam) {
    if (!info || info->Version != PROPSHEETUI_INFO_VERSION) return E_INVALIDARG;
    if (m_hooks.m_devicePropertySheets) {
        const HRESULT result = m_hooks.m_devicePropertySheets(info, lParam);
        if (!UiHookPassesOn(result)) return result;
    }
    return m_sheetState ? m_sheetState->AddPropertySheets(info, lParam) : E_NOTIMPL;
}
