// A plug-in library loaded the way the universal driver loads it.
#include <dlfcn.h>

#include "plugin_library.h"

namespace palvex::hosts {

PluginLibrary::PluginLibrary(const std::filesystem::path& file) {
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        m_error = reason ? reason : "dlopen failed";
        return;
    }
    DllGetClassObject = reinterpret_cast<LPFNGETCLASSOBJECT>(dlsym(handle, "DllGetClassObject"));
    DllCanUnloadNow = reinterpret_cast<LPFNCANUNLOADNOW>(dlsym(handle, "DllCanUnloadNow"));
    if (!DllGetClassObject || !DllCanUnloadNow) {
        m_error = "the library lacks DllGetClassObject or DllCanUnloadNow";
        DllGetClassObject = nullptr;
        DllCanUnloadNow = nullptr;
        dlclose(handle);
        return;
    }
    m_handle = handle;
}

PluginLibrary::~PluginLibrary() {
    if (m_handle) dlclose(m_handle);
}

void* PluginLibrary::Symbol(const char* name) const {
    return m_handle ? dlsym(m_handle, name) : nullptr;
}

}  // namespace palvex::hosts
