// Library entry: process attach and detach (module_state.h); thread notifications do nothing.
#include <palvex/library_entry.h>

#include "module_state.h"
#include "tovqebui.h"

extern "C" __attribute__((visibility("default"))) BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        ui::AttachProcess(instance);
        break;
    case DLL_PROCESS_DETACH:
        ui::DetachProcess();
        break;
    default:
        break;
    }
    return TRUE;
}

PALVEX_DLLMAIN_ON_LOAD_AND_UNLOAD()
