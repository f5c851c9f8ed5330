// The library's exports by ordinal: the plug-ins import ordinal 1 (render) and ordinal 2 (UI).
#include "tovqebco.h"

TOVQEBCO_API const PalvexOrdinalEntry PalvexOrdinalTable[] = {
    {1, "QvCom_AssignJobID", reinterpret_cast<const void*>(&QvCom_AssignJobID)},
    {2, "QvCom_GetTraysInfo", reinterpret_cast<const void*>(&QvCom_GetTraysInfo)},
    {0, nullptr, nullptr},
};
