// The server's two COM exports and its class factory.
#include "com_server.h"
#include "couiplugin.h"
#include "module_state.h"
#include "tovqebui.h"

using CoUIPluginFactory = ComClassFactory<CoUIPlugin, ui::ServerCounts>;

HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (!IsEqualCLSID(rclsid, CLSID_OEMUI) && !IsEqualCLSID(rclsid, CLSID_OEMPTPROVIDER))
        return CLASS_E_CLASSNOTAVAILABLE;
    return CoUIPluginFactory::GetClassObject(riid, ppv);
}

HRESULT STDMETHODCALLTYPE DllCanUnloadNow(void) {
    return ui::ServerCounts().CanUnloadNow();
}
