// Library entry. While the library is loaded in a process it holds the driver-use mutex, which
// the installer tests to learn whether a process uses the driver.
#include "module_state.h"
#include "tovqebxl.h"

#ifndef DLL_PROCESS_ATTACH
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#endif

namespace {

constexpr WCHAR kDriverUseMutexName[] = u"VORTAN_OLJA_DRIVERUSE_MUTEX";

HANDLE g_driverUseMutex = nullptr;

}  // namespace

extern "C" __attribute__((visibility("default"))) BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        render::SetModuleHandle(instance);
        // Whether another process holds the name already does not matter; without the mutex
        // (it could not be made) the library works all the same.
        if (!g_driverUseMutex) g_driverUseMutex = CreateMutexW(nullptr, FALSE, kDriverUseMutexName);
        break;
    case DLL_PROCESS_DETACH:
        if (g_driverUseMutex) {
            CloseHandle(g_driverUseMutex);
            g_driverUseMutex = nullptr;
        }
        render::SetModuleHandle(nullptr);
        break;
    default:  // thread notifications
        break;
    }
    return TRUE;
}

// Load and unload of the shared object stand for process attach and detach.
__attribute__((constructor)) static void AttachOnLoad() { DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr); }
__attribute__((destructor)) static void DetachOnUnload() { DllMain(nullptr, DLL_PROCESS_DETACH, nullptr); }
