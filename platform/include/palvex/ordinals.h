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
