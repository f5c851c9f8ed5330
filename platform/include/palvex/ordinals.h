// Exports by ordinal. A module that is imported by ordinal exports, with C linkage, the table
// PalvexOrdinalTable: one entry per ordinal, ended by an entry with ordinal 0. The platform's
// GetProcAddress resolves MAKEINTRESOURCE(ordinal) through it; the functions are also exported by
// name as usual.
#pragma once

#include <win/wintypes.h>

struct PalvexOrdinalEntry {
    WORD ordinal;
    const char* name;
    const void* function;
};

// The symbol name of a module's table.
#define PALVEX_ORDINAL_TABLE_SYMBOL "PalvexOrdinalTable"

namespace palvex {

// What the loader does for a module that imports a function of a driver library by ordinal: the
// library (a file name such as "libtovqebco.so") is loaded from the importer's folder (importer:
// an address inside the importing module), else from the platform library's folder (the importer
// linked into a program), else where the system loader looks; the function of that ordinal, or
// null. The library stays loaded for the process, as an imported module does.
__attribute__((visibility("default"))) const void* ImportByOrdinal(const char* library, WORD ordinal, const void* importer);

}  // namespace palvex
