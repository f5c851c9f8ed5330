#include "couipluginext.h"

CoUIPluginExt::~CoUIPluginExt() {
    if (m_settings) m_settings->Release();
    if (m_helper) m_helper->Release();
}

STDMETHODIMP CoUIPluginExt::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IUnknown*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CoUIPluginExt::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) CoUIPluginExt::Release() {
    const LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

HRESULT CoUIPluginExt::Init(DWORD mode, POEMCUIPPARAM param, IPrintOemDriverUI* helper, IDrvSettings* settings) {
    if ((mode != OEMCUIP_DOCPROP && mode != OEMCUIP_PRNPROP) || !param) return E_INVALIDARG;
    m_sheetMode = mode;
    m_record = param;
    if (helper) helper->AddRef();
    if (m_helper) m_helper->Release();
    m_helper = helper;
    if (settings) settings->AddRef();
    if (m_settings) m_settings->Release();
    m_settings = settings;
    return S_OK;
}

// Without option items built from the description the driver shows none of the plug-in's.
HRESULT CoUIPluginExt::CountOptItems(POEMCUIPPARAM param) {
    m_record = param;
    return E_NOTIMPL;
}

HRESULT CoUIPluginExt::BuildOptItems(POEMCUIPPARAM param) {
    m_record = param;
    return E_NOTIMPL;
}

HRESULT CoUIPluginExt::AddPropertySheets(PPROPSHEETUI_INFO, LPARAM) {
    return E_NOTIMPL;
}
