#include "couipluginext.h"

#include "items/handler_factory.h"
#include "items/optitem_builder.h"
#include "kitstatus.h"

namespace {

void CloseStore(XprStore*& store) {
    if (!store) return;
    FreeBlock(store);
    HeapFree(GetProcessHeap(), 0, store);
    store = nullptr;
}

}  // namespace

CoUIPluginExt::~CoUIPluginExt() {
    if (m_factory) m_factory->Destroy();
    CloseStore(m_features);
    CloseStore(m_uipInfo);
    if (m_resources) m_resources->Release();
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
    m_sheetWords[1] = mode;
    m_record = param;
    if (helper) helper->AddRef();
    if (m_helper) m_helper->Release();
    m_helper = helper;
    if (settings) settings->AddRef();
    if (m_settings) m_settings->Release();
    m_settings = settings;
    m_featureTable = mode == OEMCUIP_DOCPROP ? u"DOCUMENTFEATURE" : u"PRINTERFEATURE";
    HANDLE printer = param->hPrinter;
    if (!printer || printer == INVALID_HANDLE_VALUE) return E_FAIL;
    CloseStore(m_uipInfo);
    CloseStore(m_features);
    if (CreateByHandle(&m_uipInfo, printer, u"UIPINFO") >= KIT_SEVERITY_ERROR ||
        CreateByHandle(&m_features, printer, m_featureTable) >= KIT_SEVERITY_ERROR)
        return E_FAIL;
    // Without the resource library the items keep the description's own texts.
    if (!m_resources) CreateResources(&m_resources, printer, param->hOEMHeap);
    return ReadUIPInfo(this);
}

HRESULT CoUIPluginExt::CountOptItems(POEMCUIPPARAM param) {
    m_record = param;
    return CountSheetItems(this, param);
}

HRESULT CoUIPluginExt::BuildOptItems(POEMCUIPPARAM param) {
    m_record = param;
    return BuildSheetItems(this, param);
}

HRESULT CoUIPluginExt::AddPropertySheets(PPROPSHEETUI_INFO, LPARAM) {
    return E_NOTIMPL;
}
