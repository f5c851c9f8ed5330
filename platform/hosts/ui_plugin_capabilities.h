// The universal driver's answer to DeviceCapabilitiesW for the printers whose driver carries a UI
// plug-in: while a UiPluginCapabilities lives, the machine's DeviceCapabilitiesW gives the
// driver's own answer to the plug-in, which may change it (palvex/ui_module_capabilities.h). Each
// call goes to a new object of the plug-in on the printer opened for use, as the driver makes one
// for the call: DeviceCapabilities with the driver's answer and the caller's public DEVMODE (the
// plug-in's private part is not given).
#pragma once

#include <memory>
#include <string>

#include <win/windows.h>

#include "plugin_library.h"

namespace palvex::hosts {

class UiPluginCapabilities {
public:
    // The plug-in that the drivers carry as the file moduleFile (such as u"TOVQEBUI.DLL"): its code
    // is the library (which must outlive this object) or a class factory linked into the caller.
    UiPluginCapabilities(const std::u16string& moduleFile, const PluginLibrary& library);
    UiPluginCapabilities(const std::u16string& moduleFile, IClassFactory* factory);
    ~UiPluginCapabilities();  // the drivers answer alone again
    UiPluginCapabilities(const UiPluginCapabilities&) = delete;
    UiPluginCapabilities& operator=(const UiPluginCapabilities&) = delete;

private:
    struct Code;
    void Register(std::shared_ptr<const Code> code);
    std::u16string m_moduleFile;
};

}  // namespace palvex::hosts
