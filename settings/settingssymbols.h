// The settings symbols that mirror the printer settings in the driver's data file: one per
// PRINTERSETTINGS field after _VERSION, in column order.
//
// A CHAR field gives its text; any other field its name, "_" and the first min(size, 64) bytes of
// its value in memory order as lower-case hex digits (a DWORD 50 in _PDLTYPE gives
// "_PDLTYPE_32000000"). A field whose value cannot be reached (a DYNAMIC field without a record,
// or a field that holds a link into the block rather than a value) has no symbol.
#pragma once

#include <string>
#include <vector>

#include "xpr.h"

#define SETTINGS_SYMBOL_VALUE_BYTES 64

struct SettingsSymbol {
    std::u16string m_column;  // the field's name
    bool m_reachable = false; // the value could be read; otherwise m_text is empty
    bool m_isText = false;    // a CHAR field: m_text is its text
    std::string m_text;       // the symbol, in the ANSI code page
};

// The symbols of the fields after _VERSION in the current row of printerSettings; none when the
// table has no _VERSION column. Moves the table's current column.
std::vector<SettingsSymbol> MakeSettingsSymbols(XprTable* printerSettings);
