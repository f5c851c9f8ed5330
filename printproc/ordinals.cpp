// The library's exports by ordinal.
#include "tovqebpp.h"

TOVQEBPP_API const PalvexOrdinalEntry PalvexOrdinalTable[] = {
    {1, "ClosePrintProcessor", reinterpret_cast<const void*>(&ClosePrintProcessor)},
    {2, "ControlPrintProcessor", reinterpret_cast<const void*>(&ControlPrintProcessor)},
    {3, "EnumPrintProcessorDatatypesW", reinterpret_cast<const void*>(&EnumPrintProcessorDatatypesW)},
    {4, "GetPrintProcessorCapabilities", reinterpret_cast<const void*>(&GetPrintProcessorCapabilities)},
    {5, "OpenPrintProcessor", reinterpret_cast<const void*>(&OpenPrintProcessor)},
    {6, "PrintDocumentOnPrintProcessor", reinterpret_cast<const void*>(&PrintDocumentOnPrintProcessor)},
    {0, nullptr, nullptr},
};
