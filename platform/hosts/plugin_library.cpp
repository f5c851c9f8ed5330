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

bool StartPlugin(const std::u16string& printerName, HANDLE* printer, const PluginLibrary* library,
                 IClassFactory* factory, REFCLSID clsid, REFIID iid,
                 const std::function<void(const char*, HRESULT)>& record, void** plugin, std::string* error) {
    std::u16string name = printerName;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!*printer && !OpenPrinterW(name.data(), printer, &defaults)) {
        *printer = nullptr;
        *error = "OpenPrinterW failed with error " + std::to_string(GetLastError());
        return false;
    }
    if (!factory) {
        if (!library || !library->loaded()) {
            *error = "the plug-in library is not loaded";
            return false;
        }
        void* object = nullptr;
        const HRESULT got = library->DllGetClassObject(clsid, IID_IClassFactory, &object);
        record("DllGetClassObject", got);
        if (FAILED(got) || !object) {
            *error = "DllGetClassObject failed";
            return false;
        }
        factory = static_cast<IClassFactory*>(object);
    } else {
        factory->AddRef();
    }
    void* object = nullptr;
    const HRESULT made = factory->CreateInstance(nullptr, iid, &object);
    record("CreateInstance", made);
    factory->Release();
    if (FAILED(made) || !object) {
        *error = "CreateInstance failed";
        return false;
    }
    *plugin = object;
    return true;
}

}  // namespace palvex::hosts
