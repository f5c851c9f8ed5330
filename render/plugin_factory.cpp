// The server's two COM exports.
#include "plugin_factory.h"

#include "tovqebxl.h"

HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!IsEqualCLSID(rclsid, CLSID_OEMRENDER)) return CLASS_E_CLASSNOTAVAILABLE;
    return CoPluginFactory::GetClassObject(riid, ppv);
}

HRESULT STDMETHODCALLTYPE DllCanUnloadNow(void) {
    return render::ServerCounts().CanUnloadNow();
}
