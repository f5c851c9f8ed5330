// A plug-in library of the universal printer driver (rendering or user interface), loaded the
// way the driver loads it: an in-process COM server with its two exports. Its load and unload
// stand for process attach and detach.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include <win/windows.h>

namespace palvex::hosts {

class PluginLibrary {
public:
    explicit PluginLibrary(const std::filesystem::path& file);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // True when the library loaded and has both exports; otherwise error() says why.
    bool loaded() const { return m_handle != nullptr; }
    const std::string& error() const { return m_error; }
    // A symbol of the library (such as its ordinal table), or null.
    void* Symbol(const char* name) const;

    LPFNGETCLASSOBJECT DllGetClassObject = nullptr;
    LPFNCANUNLOADNOW DllCanUnloadNow = nullptr;

private:
    void* m_handle = nullptr;
    std::string m_error;
};

// How the universal driver starts with a plug-in: its printer opened for use (unless *printer is
// already open), the class factory (the one given, else the library's) and a new object of the
// plug-in asked for iid into *plugin. Each plug-in call's answer goes to record. False with *error
// set when a step fails.
bool StartPlugin(const std::u16string& printerName, HANDLE* printer, const PluginLibrary* library,
                 IClassFactory* factory, REFCLSID clsid, REFIID iid,
                 const std::function<void(const char*, HRESULT)>& record, void** plugin, std::string* error);

}  // namespace palvex::hosts
