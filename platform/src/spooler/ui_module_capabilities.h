// The answer of a printer's UI plug-in to a device capability (palvex/ui_module_capabilities.h),
// internal to the platform library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <win/windows.h>

namespace palvex::paper {

// The answer of the UI plug-in of the printer's driver when one is registered for it and answers
// (a success code); nullopt: the driver's own answer stands.
std::optional<DWORD> UiModuleAnswer(int64_t printerId, const std::u16string& printerName, WORD capability,
                                    void* output, const DEVMODEW* devmode, DWORD driverAnswer);

}  // namespace palvex::paper
