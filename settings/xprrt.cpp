// Cursors and values of a loaded settings block: tables, rows by key, columns by name, values
// read and written in place. Nothing here allocates.
#include <algorithm>

#include "xprimpl.h"

using namespace xpr;

namespace {

constexpr WCHAR kTagColumn[] = u"TAG";
[[maybe_unused]] constexpr WCHAR kValueColumn[] = u"VALUE";  // the render variant reads no indirect values

// Index of the first column named name exactly, or XPR_NONE.
WORD FindColumn(const XprTable* table, LPCWSTR name) {
    WORD indexed = XPR_NONE;
    if (IndexedColumn(table->m_owner, table, name, &indexed)) return indexed;
    for (WORD i = 0; i < table->m_columnCount; ++i)
        if (EqualExact(NameOf(&table->m_columns[i]), name, XPR_NAME_CHARS)) return i;
    return XPR_NONE;
}

// The row key of row (null when the row has none or the table no "TAG" column).
const void* RowKey(const XprTable* table, DWORD row) {
    if (!table->m_columnCount) return nullptr;
    // Column 0 is the key column of every table the compiler writes; look further only if not.
    const WORD tag = EqualExact(NameOf(&table->m_columns[0]), kTagColumn, XPR_NAME_CHARS) ? 0 : FindColumn(table, kTagColumn);
    if (tag == XPR_NONE || table->m_columns[tag].m_kind != XprColumnKind::STRING || !table->m_columns[tag].m_count) return nullptr;
    return PointerOf<const void>(LoadLink(RowAt(table, row) + table->m_columns[tag].m_offset));
}

// One past the last row the cursor may reach: the slice's end, never beyond the table.
WORD EndRow(const XprTable* table) {
    return table->m_endRow < table->m_rowCount ? table->m_endRow : table->m_rowCount;
}

XprTable* FindInTree(XprTable* table, LPCWSTR name, int depth) {
    if (depth > XPR_MAX_DEPTH) return nullptr;
    if (EqualIgnoringCase(NameOf(table), XPR_NAME_CHARS, name)) return table;
    if (!table->m_rowCount) return nullptr;
    for (DWORD i = 0; i < table->m_columnCount; ++i) {
        const XprColumn* column = &table->m_columns[i];
        if (column->m_kind != XprColumnKind::XPDSTRUCT) continue;
        if (XprTable* nested = NestedTable(table, column))
            if (XprTable* found = FindInTree(nested, name, depth + 1)) return found;
    }
    return nullptr;
}

// The value the current row and column of table lead to.
struct Field {
    BYTE* m_address;
    DWORD m_size;
    XprColumnKind m_kind;
    const XprColumn* m_column;
};

// 0 with the field; 1 without a report for a DYNAMIC field without record (or record data);
// 63401 when the cursor stands on no row or no column.
DWORD LocateField(const XprTable* table, Field* field) {
    if (table->m_currentColumn >= table->m_columnCount || table->m_currentRow >= table->m_rowCount)
        return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    const XprColumn* column = &table->m_columns[table->m_currentColumn];
    BYTE* value = RowAt(table, table->m_currentRow) + column->m_offset;
    field->m_column = column;
    if (column->m_kind != XprColumnKind::DYNAMIC) {
        field->m_address = value;
        field->m_size = static_cast<DWORD>(FieldSize(column));
        field->m_kind = column->m_kind;
        return 0;
    }
    const XprValueRecord* record = PointerOf<const XprValueRecord>(LoadLink(value));
    if (!record) return KIT_SEVERITY_WARNING;
    field->m_address = record->m_data;
    field->m_size = DWORD{record->m_elementSize} * record->m_count;
    field->m_kind = record->m_kind;
    return field->m_address || !field->m_size ? 0 : KIT_SEVERITY_WARNING;
}

// Selects a non-empty column name; the failure of the selection otherwise.
DWORD SelectNamed(XprTable* table, LPCWSTR column) {
    return IsEmpty(column) ? 0 : SelectColumn(table, column);
}

// Selects a named column (the current one when the name is empty) and locates its field in the
// current row; as LocateField, or the failure of the selection.
DWORD LocateNamedField(XprTable* table, LPCWSTR column, Field* field) {
    if (!table) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    if (const DWORD selected = SelectNamed(table, column); selected) return selected;
    return LocateField(table, field);
}

// The record of the current row in the current DYNAMIC column, or null.
const XprValueRecord* CurrentRecord(const XprTable* table) {
    if (table->m_currentColumn >= table->m_columnCount || table->m_currentRow >= table->m_rowCount) return nullptr;
    const XprColumn* column = &table->m_columns[table->m_currentColumn];
    if (column->m_kind != XprColumnKind::DYNAMIC) return nullptr;
    return PointerOf<const XprValueRecord>(LoadLink(RowAt(table, table->m_currentRow) + column->m_offset));
}

// The current column for the getters, after selecting a named one; null when there is none.
const XprColumn* GetterColumn(XprTable* table, LPCWSTR column) {
    if (SelectNamed(table, column) >= KIT_SEVERITY_WARNING) return nullptr;
    return table->m_currentColumn < table->m_columnCount ? &table->m_columns[table->m_currentColumn] : nullptr;
}

}  // namespace

DWORD FindTable(XprStore* store, XprTable* table, XprTable** found, LPCWSTR name) {
    if (!store || !table || !found || IsEmpty(name)) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    if (XprTable* match = FindInTree(table, name, 1)) {
        *found = match;
        return 0;
    }
    if (table == store->m_root) return ReportStatus(XPR_NO_TABLE, name, NameCopy(NameOf(table)).m_text);
    return 0;
}

DWORD ResetRows(XprTable* table) {
    if (!table) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    const XprTable* parent = table->m_parent;
    if (!parent) {
        table->m_firstRow = 0;
        table->m_endRow = table->m_rowCount;
        table->m_currentRow = XPR_NONE;
        table->m_currentColumn = XPR_NONE;
        return 0;
    }
    if (parent->m_currentRow >= EndRow(parent) || !parent->m_columnCount) return 0;
    for (DWORD i = 0; i < parent->m_columnCount; ++i) {
        const XprColumn* column = &parent->m_columns[i];
        if (column->m_kind != XprColumnKind::XPDSTRUCT) continue;
        const XprTable* nested = NestedTable(parent, column);
        if (!nested || !EqualIgnoringCase(NameOf(nested), XPR_NAME_CHARS, NameCopy(NameOf(table)).m_text)) continue;
        const BYTE* value = RowAt(parent, parent->m_currentRow) + column->m_offset;
        // A slice reaching past the nested table is cut at its last row.
        const WORD end = std::min(Load<WORD>(value + offsetof(XprStructValue, m_endRow)), table->m_rowCount);
        const WORD first = std::min(Load<WORD>(value + offsetof(XprStructValue, m_firstRow)), end);
        table->m_firstRow = first;
        table->m_endRow = end;
        table->m_currentRow = static_cast<WORD>(first - 1);
        table->m_currentColumn = XPR_NONE;
        return 0;
    }
    return 0;
}

DWORD NextRow(XprTable* table, LPCWSTR key) {
    if (!table) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    const WORD end = EndRow(table);
    if (IsEmpty(key)) {
        const WORD next = static_cast<WORD>(table->m_currentRow + 1);
        if (next < end) {
            table->m_currentRow = next;
            return 0;
        }
        return ReportStatus(XPR_NO_FURTHER_ROW);
    }
    bool fromStart = static_cast<WORD>(table->m_currentRow + 1) == table->m_firstRow;
    if (!fromStart) {
        const void* current = table->m_currentRow < end ? RowKey(table, table->m_currentRow) : nullptr;
        if (!current || !EqualIgnoringCase(current, SIZE_MAX, key)) {
            fromStart = true;
            table->m_currentRow = static_cast<WORD>(table->m_firstRow - 1);
        }
    }
    for (WORD row = static_cast<WORD>(table->m_currentRow + 1); row < end; ++row) {
        const void* rowKey = RowKey(table, row);
        if (rowKey && EqualExact(rowKey, key)) {
            table->m_currentRow = row;
            return 0;
        }
    }
    if (fromStart) return ReportStatus(XPR_NO_ROW, NameCopy(NameOf(table)).m_text, key);
    return KIT_SEVERITY_WARNING;
}

namespace {

DWORD Fetch(XprStore* store, LPCWSTR name, XprTable** cursor, LPCWSTR key) {
    if (!store || !cursor || IsEmpty(name)) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    if (!*cursor) {
        if (!store->m_root) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
        if (const DWORD found = FindTable(store, store->m_root, cursor, name); found >= KIT_SEVERITY_ERROR) return found;
        if (!*cursor) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
        if (const DWORD reset = ResetRows(*cursor); reset >= KIT_SEVERITY_ERROR) {
            *cursor = nullptr;
            return reset;
        }
    }
    const DWORD result = NextRow(*cursor, key);
    if (result == 0) {
        (*cursor)->m_owner = store;
        return 0;
    }
    *cursor = nullptr;
    return result;
}

}  // namespace

#if defined(XPR_VARIANT_UI)
DWORD FetchRow(XprStore* store, LPCWSTR name, XprTable** cursor, LPCWSTR key) {
    return Fetch(store, name, cursor, key);
}
#else
DWORD FetchRow(XprStore* store, LPCWSTR name, XprTable** cursor) {
    return Fetch(store, name, cursor, nullptr);
}
#endif

DWORD SelectColumn(XprTable* table, LPCWSTR column) {
    if (!table) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    if (IsEmpty(column)) {
        const WORD next = static_cast<WORD>(table->m_currentColumn + 1);
        if (next < table->m_columnCount) {
            table->m_currentColumn = next;
            return 0;
        }
        table->m_currentColumn = XPR_NONE;
        return KIT_SEVERITY_WARNING;
    }
    const WORD found = FindColumn(table, column);
    table->m_currentColumn = found;
    if (found == XPR_NONE) return ReportStatus(XPR_NO_COLUMN, column, NameCopy(NameOf(table)).m_text);
    return 0;
}

DWORD GetValue(XprTable* table, void* buffer, DWORD bufferSize, LPCWSTR column) {
    Field field{};
    if (const DWORD located = LocateNamedField(table, column, &field); located) return located;
    if (!buffer) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    if (bufferSize < field.m_size)
        return ReportStatus(XPR_BUFFER_TOO_SMALL, NameCopy(NameOf(field.m_column)).m_text, field.m_size);
    std::memset(buffer, 0, bufferSize);
    if (field.m_size) std::memcpy(buffer, field.m_address, field.m_size);
    return 0;
}

#if defined(XPR_VARIANT_UI)
DWORD SetValue(XprTable* table, const void* source, DWORD sourceSize, LPCWSTR column) {
    Field field{};
    if (const DWORD located = LocateNamedField(table, column, &field); located) return located;
    if (!source) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    if (sourceSize > field.m_size)
        return ReportStatus(XPR_SOURCE_TOO_LARGE, NameCopy(NameOf(field.m_column)).m_text, field.m_size);
    // Link fields take whole links: part of one would point anywhere. A nested table's field may
    // take a new slice of rows, but its link stays the block's own nested table.
    if (field.m_kind == XprColumnKind::STRING && sourceSize % 8 != 0)
        return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    if (field.m_kind == XprColumnKind::XPDSTRUCT &&
        (sourceSize != sizeof(XprStructValue) || LoadLink(source) != LoadLink(field.m_address)))
        return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    // The source may lie inside the field: move it first, then clear what follows.
    if (sourceSize) std::memmove(field.m_address, source, sourceSize);
    if (field.m_size > sourceSize) std::memset(field.m_address + sourceSize, 0, field.m_size - sourceSize);
    if (field.m_kind == XprColumnKind::STRING && table->m_owner) table->m_owner->m_dirty = 1;
    return 0;
}
#else
DWORD SetValue(XprTable* table, const void* source, DWORD sourceSize, LPCWSTR column) {
    constexpr DWORD kValueBytes = 4;
    Field field{};
    if (const DWORD located = LocateNamedField(table, column, &field); located) return located;
    if (!source) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    // Four bytes cannot make a link: a STRING or XPDSTRUCT field would be left pointing nowhere.
    if (field.m_size < kValueBytes || field.m_kind == XprColumnKind::STRING || field.m_kind == XprColumnKind::XPDSTRUCT)
        return ReportStatus(XPR_SOURCE_TOO_LARGE, NameCopy(NameOf(field.m_column)).m_text, field.m_size);
    BYTE value[kValueBytes] = {};
    std::memcpy(value, source, sourceSize < kValueBytes ? sourceSize : kValueBytes);
    std::memset(field.m_address, 0, field.m_size);
    std::memcpy(field.m_address, value, kValueBytes);
    return 0;
}
#endif

DWORD GetValuePtr(XprTable* table, LPCWSTR column, void** value) {
    if (!table || !value) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    *value = nullptr;
    Field field{};
    if (const DWORD located = LocateNamedField(table, column, &field); located) return located;
    *value = field.m_address;
    return 0;
}

XprColumn* GetColumnDesc(XprTable* table) {
    if (!table) {
        ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
        return nullptr;
    }
    return table->m_currentColumn < table->m_columnCount ? &table->m_columns[table->m_currentColumn] : nullptr;
}

XprColumnKind GetValueKind(XprTable* table, LPCWSTR column) {
    if (!table) {
        ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
        return XprColumnKind{};
    }
    const XprColumn* selected = GetterColumn(table, column);
    if (!selected) return XprColumnKind{};
    if (selected->m_kind != XprColumnKind::DYNAMIC) return selected->m_kind;
    const XprValueRecord* record = CurrentRecord(table);
    return record ? record->m_kind : XprColumnKind{};
}

WORD GetValueSize(XprTable* table, LPCWSTR column) {
    if (!table) {
        ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
        return 0;
    }
    const XprColumn* selected = GetterColumn(table, column);
    if (!selected) return 0;
    if (selected->m_kind != XprColumnKind::DYNAMIC) return static_cast<WORD>(FieldSize(selected));
    const XprValueRecord* record = CurrentRecord(table);
    return record ? static_cast<WORD>(DWORD{record->m_elementSize} * record->m_count) : 0;
}

#if !defined(XPR_VARIANT_RENDER)
WORD GetValueCount(XprTable* table, LPCWSTR column) {
    if (!table) {
        ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
        return 0;
    }
    const XprColumn* selected = GetterColumn(table, column);
    if (!selected) return 0;
    if (selected->m_kind != XprColumnKind::DYNAMIC) return selected->m_count;
    const XprValueRecord* record = CurrentRecord(table);
    return record ? record->m_count : 0;
}
#endif

DWORD GetRecordSize(XprTable* table) {
    if (!table) {
        ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
        return 0;
    }
    if (SelectColumn(table, kTagColumn) != 0) return table->m_stride;
    const uint64_t tag = FieldSize(&table->m_columns[table->m_currentColumn]);
    return tag <= table->m_stride ? table->m_stride - static_cast<DWORD>(tag) : 0;
}

#if !defined(XPR_VARIANT_RENDER)
LPCWSTR GetIndirectValue(XprTable* table) {
    if (!table) {
        ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
        return nullptr;
    }
    if (SelectColumn(table, kValueColumn) != 0) return nullptr;
    const XprColumn* column = &table->m_columns[table->m_currentColumn];
    const NameCopy tableName(NameOf(table));
    if (column->m_kind != XprColumnKind::DYNAMIC) {
        ReportStatus(XPR_NOT_DYNAMIC, kValueColumn, tableName.m_text);
        return nullptr;
    }
    const XprValueRecord* record = CurrentRecord(table);
    if (!record || !record->m_text) {
        ReportStatus(XPR_NO_REFERENCE, kValueColumn, tableName.m_text);
        return nullptr;
    }
    return record->m_text;
}
#endif
