// Library entry. While the library is loaded in a process it holds the driver-use mutex, which
// the installer tests to learn whether a process uses the driver.
#include "coresources.h"
#include "module_state.h"
#include "tovqebxl.h"

#include <palvex/library_entry.h>

#include "driver_use_mutex.h"

namespace {

DriverUseMutex g_driverUse;

}  // namespace

extern "C" __attribute__((visibility("default"))) BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        render::SetModuleHandle(instance);
        SetResourcesOwnModule(instance);  // asked after the resource library for every resource
        g_driverUse.Hold();
        break;
    case DLL_PROCESS_DETACH:
        g_driverUse.Release();
        SetResourcesOwnModule(nullptr);
        render::SetModuleHandle(nullptr);
        break;
    default:  // thread notifications
        break;
    }
    return TRUE;
}

PALVEX_DLLMAIN_ON_LOAD_AND_UNLOAD()
