#include "datatypes.h"

const WCHAR* const kDatatypeNames[kDatatypeCount] = {u"NT EMF 1.008", u"NT EMF 1.007", u"NT EMF 1.006", u"RAW",
                                                     u"TEXT"};

bool FindDatatype(LPCWSTR name, DatatypeIndex* index) {
    if (!name || !*name) return false;
    for (int i = 0; i < kDatatypeCount; ++i) {
        if (lstrcmpW(name, kDatatypeNames[i]) == 0) {
            *index = static_cast<DatatypeIndex>(i);
            return true;
        }
    }
    return false;
}
