// The spooler's hold on a driver's loaded files, for tests: a held driver cannot be deleted
// (ERROR_PRINTER_DRIVER_IN_USE) until the spooler service stops, which lets every hold go.
#pragma once

#include <string>

#ifndef PALVEX_API
#define PALVEX_API __attribute__((visibility("default")))
#endif

namespace palvex {

PALVEX_API void HoldDriverFiles(const std::u16string& driverName, const std::u16string& environment = u"Windows x64");
// What a stop of the spooler does to the holds.
PALVEX_API void ReleaseDriverHolds();

}  // namespace palvex
