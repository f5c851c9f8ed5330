#include "settings_binding.h"

#include <new>

HRESULT CreateBoundSettings(HANDLE printer, DWORD mode, IDrvSettings** settings) {
    *settings = nullptr;
    CoDrvSettings* object = new (std::nothrow) CoDrvSettings;
    if (!object) return E_OUTOFMEMORY;
    object->AddRef();
    if (printer == INVALID_HANDLE_VALUE || FAILED(object->Init(printer))) {
        object->Release();
        return E_FAIL;
    }
    object->SetMode(mode);
    *settings = object;
    return S_OK;
}
