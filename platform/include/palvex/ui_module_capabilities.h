// DeviceCapabilitiesW as the universal printer driver answers it for its printers: its own answer
// first (the papers, and the bins and media types the printer was given, palvex/printer_papers.h),
// then the UI plug-in the driver carries may change it. A plug-in's code is not in this library: a
// host that can load it registers the plug-in's answer here under the plug-in's file name.
#pragma once

#include <functional>
#include <string>

#include <win/windows.h>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

// The plug-in's answer for one capability of a printer, given the driver's own answer
// (0xFFFFFFFF for a capability the driver does not answer) and the caller's DEVMODE (may be null).
// A success code: *result is the answer and output (when not null, sized by the caller for the
// plug-in's count) holds what it lists; a failure (E_NOTIMPL): the driver's answer stands. The
// driver writes nothing into output before the plug-in answers.
using UiModuleCapabilities = std::function<HRESULT(const std::u16string& printerName, WORD capability, void* output,
                                                  const DEVMODEW* devmode, DWORD driverAnswer, DWORD* result)>;

// From now on the plug-in of file moduleFile (such as u"TOVQEBUI.DLL", compared without regard to
// case) answers for every printer whose driver is the universal driver (configuration file
// UNIDRVUI.DLL) and lists that file among its dependent files. Holds for this process; replaces
// an earlier answer of the same file; an empty function takes it back.
PALVEX_API void SetUiModuleCapabilities(const std::u16string& moduleFile, UiModuleCapabilities capabilities);

}  // namespace palvex
