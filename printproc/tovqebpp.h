// tovqebpp, the print processor of the driver. The spooler drives it through the six exports of
// winsplp.h (C linkage, exported by name and by ordinal):
//   1 ClosePrintProcessor            4 GetPrintProcessorCapabilities
//   2 ControlPrintProcessor          5 OpenPrintProcessor
//   3 EnumPrintProcessorDatatypesW   6 PrintDocumentOnPrintProcessor
// While the library is loaded it holds the driver-use mutex.
#pragma once

#include <palvex/ordinals.h>
#include <win/windows.h>
#include <win/winsplp.h>

#define TOVQEBPP_API extern "C" __attribute__((visibility("default")))
// On the definitions of the exports declared in winsplp.h.
#define TOVQEBPP_EXPORT __attribute__((visibility("default")))

// The exports by ordinal (palvex/ordinals.h).
TOVQEBPP_API const PalvexOrdinalEntry PalvexOrdinalTable[];
