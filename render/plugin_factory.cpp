// The class factory and the server's two COM exports.
#include "plugin_factory.h"

#include <new>

#include "coplugin.h"
#include "module_state.h"
#include "tovqebxl.h"

CoPluginFactory::CoPluginFactory() {
    render::ObjectCreated();
}

CoPluginFactory::~CoPluginFactory() {
    render::ObjectDestroyed();
}

STDMETHODIMP CoPluginFactory::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    static_cast<IClassFactory*>(*object)->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CoPluginFactory::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&m_refCount));
}

STDMETHODIMP_(ULONG) CoPluginFactory::Release() {
    const LONG count = InterlockedDecrement(&m_refCount);
    if (count == 0) delete this;
    return static_cast<ULONG>(count);
}

STDMETHODIMP CoPluginFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (outer) return CLASS_E_NOAGGREGATION;
    CoPlugin* plugin = new (std::nothrow) CoPlugin;
    if (!plugin) return E_OUTOFMEMORY;
    plugin->AddRef();
    const HRESULT result = plugin->QueryInterface(riid, object);
    plugin->Release();
    return result;
}

STDMETHODIMP CoPluginFactory::LockServer(BOOL lock) {
    render::LockServer(lock);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!IsEqualCLSID(rclsid, CLSID_OEMRENDER)) return CLASS_E_CLASSNOTAVAILABLE;
    CoPluginFactory* factory = new (std::nothrow) CoPluginFactory;
    if (!factory) return E_OUTOFMEMORY;
    factory->AddRef();
    const HRESULT result = factory->QueryInterface(riid, ppv);
    factory->Release();
    return result;
}

HRESULT STDMETHODCALLTYPE DllCanUnloadNow(void) {
    return render::LiveObjects() == 0 && render::ServerLocks() == 0 ? S_OK : S_FALSE;
}
