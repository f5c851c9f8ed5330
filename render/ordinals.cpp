// The library's exports by ordinal.
#include "tovqebxl.h"

TOVQEBXL_API const PalvexOrdinalEntry PalvexOrdinalTable[] = {
    {1, "DllCanUnloadNow", reinterpret_cast<const void*>(&DllCanUnloadNow)},
    {2, "DllGetClassObject", reinterpret_cast<const void*>(&DllGetClassObject)},
    {0, nullptr, nullptr},
};
