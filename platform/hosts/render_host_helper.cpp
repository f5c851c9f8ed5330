// The driver's helper object for the rendering plug-in.
#include <cstring>

#include "render_host_internal.h"

namespace palvex::hosts {

STDMETHODIMP DriverHelper::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IPrintOemDriverUni)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IPrintOemDriverUni*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) DriverHelper::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) DriverHelper::Release() {
    const LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP DriverHelper::DrvGetDriverSetting(PVOID, LPCSTR Feature, PVOID pOutput, DWORD cbSize, PDWORD pcbNeeded,
                                               PDWORD pdwOptionsReturned) {
    if (!Feature || !pcbNeeded) return E_FAIL;
    const auto& settings = m_host.options().driverSettings;
    const auto found = settings.find(Feature);
    if (found == settings.end()) return E_FAIL;
    const std::string& option = found->second;
    *pcbNeeded = static_cast<DWORD>(option.size() + 1);
    if (!pOutput || cbSize < *pcbNeeded) return E_FAIL;
    std::memcpy(pOutput, option.c_str(), option.size() + 1);
    if (pdwOptionsReturned) *pdwOptionsReturned = 1;
    return S_OK;
}

STDMETHODIMP DriverHelper::DrvWriteSpoolBuf(PDEVOBJ, PVOID pBuffer, DWORD cbSize, DWORD* pdwResult) {
    DWORD written = 0;
    const HRESULT result = pBuffer || !cbSize ? m_host.Write(pBuffer, cbSize, &written) : E_FAIL;
    if (pdwResult) *pdwResult = written;
    return result;
}

}  // namespace palvex::hosts
