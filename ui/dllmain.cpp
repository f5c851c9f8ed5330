// Library entry: called by the platform's module loader on load and unload.
#include <win/windows.h>

extern "C" __attribute__((visibility("default"))) BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    (void)reason;
    return TRUE;
}
