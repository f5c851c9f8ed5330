// tovqebui, the user-interface plug-in of the universal printer driver: an in-process COM server
// of the classes CLSID_OEMUI and CLSID_OEMPTPROVIDER, both served by CoUIPlugin. Exports (C
// linkage): DllCanUnloadNow and DllGetClassObject. While the library is loaded it holds the
// driver-use mutex.
#pragma once

#include <win/prcomoem_ui.h>
#include <win/windows.h>

#define TOVQEBUI_API extern "C" __attribute__((visibility("default")))

// The class factory of either class asked for riid; any other class CLASS_E_CLASSNOTAVAILABLE.
TOVQEBUI_API HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
// S_OK when no factory or plug-in object lives and the server is not locked, else S_FALSE.
TOVQEBUI_API HRESULT STDMETHODCALLTYPE DllCanUnloadNow(void);
