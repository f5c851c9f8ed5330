#include "settings_objects.h"

#include <new>

HRESULT CreateDrvSettings(HANDLE printer, IDrvSettings** settings) {
    *settings = nullptr;
    if (printer == INVALID_HANDLE_VALUE) return E_FAIL;
    CoDrvSettings* object = new (std::nothrow) CoDrvSettings;
    if (!object) return E_OUTOFMEMORY;
    object->AddRef();
    if (FAILED(object->Init(printer))) {
        object->Release();
        return E_FAIL;
    }
    object->SetMode(SETTINGS_MODE_DOCUMENT);
    *settings = object;
    return S_OK;
}

HRESULT CreateResourcesByHandle(HANDLE printer, IDrvResources** resources) {
    *resources = nullptr;
    if (!printer || printer == INVALID_HANDLE_VALUE) return E_INVALIDARG;
    return CreateResources(resources, printer, nullptr);
}
