// What the Windows loader does for a driver library that is a shared object here: it calls the
// library's DllMain on load and unload with the library's module handle, and makes the resources
// linked into the library (a PE resource image, see cmake/resources.cmake) readable through that
// handle with FindResourceExW, LoadStringW and the rest, as a DLL's own resources are.
//
// A library's entry source ends with PALVEX_DLLMAIN_ON_LOAD_AND_UNLOAD() after its DllMain.
#pragma once

#include <cstddef>

#include <win/windows.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

// The handle of the loaded module that holds `address` (its load address, as a Windows module
// handle is the image base), with `image` (`size` bytes, null when the module has no resources)
// as its resources from now on. An image that is not a sound PE file is ignored with a debug
// line: the module then has no resources. Null when no loaded module holds the address.
PALVEX_API HMODULE AttachLibrary(const void* address, const unsigned char* image, size_t size);

// The module's resources are gone (the module is being unloaded).
PALVEX_API void DetachLibrary(HMODULE module);

}  // namespace palvex

// The resource image a library links in (hidden and weak: a library without one sees null).
extern "C" {
__attribute__((weak, visibility("hidden"))) extern const unsigned char PalvexResourceImage[];
__attribute__((weak, visibility("hidden"))) extern const size_t PalvexResourceImageSize;
}

namespace palvex {

inline HMODULE AttachThisLibrary(const void* address) {
    const unsigned char* image = PalvexResourceImage;
    return AttachLibrary(address, image, image && &PalvexResourceImageSize ? PalvexResourceImageSize : 0);
}

}  // namespace palvex

// Load and unload of the shared object stand for process attach and detach.
#define PALVEX_DLLMAIN_ON_LOAD_AND_UNLOAD()                                                            \
    namespace {                                                                                        \
    HMODULE g_palvexLoadedModule = nullptr;                                                            \
    __attribute__((constructor)) void AttachOnLoad() {                                                 \
        g_palvexLoadedModule = palvex::AttachThisLibrary(reinterpret_cast<const void*>(&AttachOnLoad)); \
        DllMain(g_palvexLoadedModule, DLL_PROCESS_ATTACH, nullptr);                                    \
    }                                                                                                  \
    __attribute__((destructor)) void DetachOnUnload() {                                                \
        DllMain(g_palvexLoadedModule, DLL_PROCESS_DETACH, nullptr);                                    \
        palvex::DetachLibrary(g_palvexLoadedModule);                                                   \
    }                                                                                                  \
    }
