// Library entry. While the library is loaded in a process it holds the driver-use mutex, which
// the installer tests to learn whether a process uses the driver.
#include "tovqebco.h"

#include <palvex/library_entry.h>

#include "driver_use_mutex.h"

namespace {

DriverUseMutex g_driverUse;

}  // namespace

extern "C" __attribute__((visibility("default"))) BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        g_driverUse.Hold();
        break;
    case DLL_PROCESS_DETACH:
        g_driverUse.Release();
        break;
    default:
        break;
    }
    return TRUE;
}

PALVEX_DLLMAIN_ON_LOAD_AND_UNLOAD()
