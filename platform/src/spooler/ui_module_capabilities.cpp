// The UI plug-ins registered to answer device capabilities for their drivers' printers.
#include "spooler/ui_module_capabilities.h"

#include <map>
#include <mutex>

#include <palvex/ui_module_capabilities.h>

#include "crt/utf16.h"
#include "spooler/spooler_store.h"

namespace palvex {
namespace {

// The universal driver's user interface, which loads the plug-ins its drivers carry.
constexpr char16_t kUniversalDriverUi[] = u"UNIDRVUI.DLL";

std::mutex g_lock;

// Keyed by the upper-case file name.
std::map<std::u16string, UiModuleCapabilities>& Registered() {
    static std::map<std::u16string, UiModuleCapabilities> registered;
    return registered;
}

// The upper-case file name of a driver file, which may be given with its folder.
std::u16string FileKey(const std::u16string& file) {
    const size_t slash = file.find_last_of(u"\\/");
    return text::Upcase(slash == std::u16string::npos ? file : file.substr(slash + 1));
}

}  // namespace

void SetUiModuleCapabilities(const std::u16string& moduleFile, UiModuleCapabilities capabilities) {
    const std::lock_guard<std::mutex> hold(g_lock);
    if (capabilities) Registered()[FileKey(moduleFile)] = std::move(capabilities);
    else Registered().erase(FileKey(moduleFile));
}

namespace paper {

UiModuleCapabilities UiModuleOf(int64_t printerId) {
    {
        const std::lock_guard<std::mutex> hold(g_lock);
        if (Registered().empty()) return {};
    }
    const auto details = spool::ReadPrinterDetails(printerId);
    const auto driver = details ? spool::ReadDriver(details->driverId) : std::nullopt;
    if (!driver || FileKey(driver->configFile) != kUniversalDriverUi) return {};
    const std::lock_guard<std::mutex> hold(g_lock);
    for (const std::u16string& file : driver->dependentFiles) {
        const auto found = Registered().find(FileKey(file));
        if (found != Registered().end()) return found->second;
    }
    return {};
}

std::optional<DWORD> UiModuleAnswer(const UiModuleCapabilities& module, const std::u16string& printerName,
                                    WORD capability, void* output, const DEVMODEW* devmode, DWORD driverAnswer) {
    // Called without the lock: the plug-in may ask the machine for capabilities itself.
    DWORD result = driverAnswer;
    if (FAILED(module(printerName, capability, output, devmode, driverAnswer, &result))) return std::nullopt;
    return result;
}

}  // namespace paper
}  // namespace palvex
