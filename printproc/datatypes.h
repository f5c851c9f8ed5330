// The datatypes this print processor takes, in their fixed order; a datatype's index decides
// which processor prints it.
#pragma once

#include <win/windows.h>

enum class DatatypeIndex : int {
    EMF_1008 = 0,  // "NT EMF 1.008"
    EMF_1007 = 1,  // "NT EMF 1.007"
    EMF_1006 = 2,  // "NT EMF 1.006"
    RAW = 3,       // "RAW"
    TEXT = 4,      // "TEXT"
};

inline constexpr int kDatatypeCount = 5;

// The datatype names in table order.
extern const WCHAR* const kDatatypeNames[kDatatypeCount];

// The index of a datatype name compared exactly (case and whole string); false for a null, empty
// or unknown name.
bool FindDatatype(LPCWSTR name, DatatypeIndex* index);

inline bool IsEmfDatatype(DatatypeIndex index) {
    return index == DatatypeIndex::EMF_1008 || index == DatatypeIndex::EMF_1007 || index == DatatypeIndex::EMF_1006;
}
