// The answer of a printer's UI plug-in to a device capability (palvex/ui_module_capabilities.h),
// internal to the platform library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <palvex/ui_module_capabilities.h>
#include <win/windows.h>

namespace palvex::paper {

// The capability function of the UI plug-in registered for the printer's driver; empty when no
// plug-in is.
UiModuleCapabilities UiModuleOf(int64_t printerId);

// The plug-in's answer to a device capability when it answers (a success code); nullopt: the
// driver's own answer stands.
std::optional<DWORD> UiModuleAnswer(const UiModuleCapabilities& module, const std::u16string& printerName,
                                    WORD capability, void* output, const DEVMODEW* devmode, DWORD driverAnswer);

}  // namespace palvex::paper
