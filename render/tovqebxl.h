// tovqebxl, the rendering plug-in of the universal printer driver: an in-process COM server of
// the one class CLSID_OEMRENDER (CoPlugin). Exports (C linkage, by name and by ordinal):
//   1 DllCanUnloadNow    2 DllGetClassObject
// While the library is loaded it holds the driver-use mutex.
#pragma once

#include <palvex/ordinals.h>
#include <win/prcomoem.h>
#include <win/windows.h>

#define TOVQEBXL_API extern "C" __attribute__((visibility("default")))

// The class factory of CLSID_OEMRENDER asked for riid; any other class CLASS_E_CLASSNOTAVAILABLE.
TOVQEBXL_API HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv);
// S_OK when no factory or plug-in object lives and the server is not locked, else S_FALSE.
TOVQEBXL_API HRESULT STDMETHODCALLTYPE DllCanUnloadNow(void);

// The exports by ordinal (palvex/ordinals.h).
TOVQEBXL_API const PalvexOrdinalEntry PalvexOrdinalTable[];
