// A UI plug-in answering device capabilities for its drivers' printers.
#include "ui_plugin_capabilities.h"

#include <palvex/ui_module_capabilities.h>
#include <win/prcomoem_ui.h>

namespace palvex::hosts {

// Where the plug-in's objects come from; shared with calls still running when the owner goes.
struct UiPluginCapabilities::Code {
    const PluginLibrary* library = nullptr;
    IClassFactory* factory = nullptr;
    ~Code() {
        if (factory) factory->Release();
    }
};

namespace {

HRESULT AskPlugin(const PluginLibrary* library, IClassFactory* factory, const std::u16string& printerName,
                  WORD capability, void* output, const DEVMODEW* devmode, DWORD driverAnswer, DWORD* result) {
    HANDLE printer = nullptr;
    void* object = nullptr;
    std::string error;
    HRESULT answer = E_NOTIMPL;
    if (StartPlugin(printerName, &printer, library, factory, CLSID_OEMUI, IID_IPrintOemUI2,
                    [](const char*, HRESULT) {}, &object, &error)) {
        auto* plugin = static_cast<IPrintOemUI2*>(object);
        std::u16string name = printerName;
        answer = plugin->DeviceCapabilities(nullptr, printer, name.data(), capability, output,
                                            const_cast<DEVMODEW*>(devmode), nullptr, driverAnswer, result);
        plugin->Release();
    }
    if (printer) ClosePrinter(printer);
    return answer;
}

}  // namespace

UiPluginCapabilities::UiPluginCapabilities(const std::u16string& moduleFile, const PluginLibrary& library)
    : m_moduleFile(moduleFile) {
    auto code = std::make_shared<Code>();
    code->library = &library;
    Register(std::move(code));
}

UiPluginCapabilities::UiPluginCapabilities(const std::u16string& moduleFile, IClassFactory* factory)
    : m_moduleFile(moduleFile) {
    auto code = std::make_shared<Code>();
    code->factory = factory;
    if (factory) factory->AddRef();
    Register(std::move(code));
}

UiPluginCapabilities::~UiPluginCapabilities() {
    SetUiModuleCapabilities(m_moduleFile, {});
}

void UiPluginCapabilities::Register(std::shared_ptr<const Code> code) {
    SetUiModuleCapabilities(m_moduleFile, [code](const std::u16string& printerName, WORD capability, void* output,
                                                 const DEVMODEW* devmode, DWORD driverAnswer, DWORD* result) {
        return AskPlugin(code->library, code->factory, printerName, capability, output, devmode, driverAnswer, result);
    });
}

}  // namespace palvex::hosts
