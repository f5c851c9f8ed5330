// Assembling a filled structure into its settings block and saving it as printer data.
//
// The block is measured first and allocated once. Its regions follow one another without
// alignment: the table headers (tables numbered in pre-order: the structure, then each nested
// structure before the next column's), the column descriptors of all tables, their rows, the
// value records of the DYNAMIC columns with their texts and data, and the string pool.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "xprimpl.h"
#include "xpcimpl.h"

namespace xpc {
namespace {

struct Table {
    const StructDef* m_def;
    uint64_t m_header = 0;
    uint64_t m_columns = 0;
    uint64_t m_rows = 0;
};

void Number(const StructDef& def, std::vector<Table>& tables) {
    tables.push_back({&def});
    for (const ColumnDef& column : def.m_columns)
        if (column.m_kind == XprColumnKind::XPDSTRUCT) Number(*column.m_nested, tables);
}

uint64_t TextBytes(const std::u16string& text) {
    return (text.size() + 1) * sizeof(WCHAR);
}

uint64_t ValueBytes(const StructDef& def) {
    uint64_t bytes = 0;
    for (const RowCells& cells : def.m_cells)
        for (const auto& value : cells.m_values)
            if (value)
                bytes += sizeof(XprValueRecord) + (value->m_sharedText ? 0 : TextBytes(value->m_text)) + value->m_data.size();
    return bytes;
}

uint64_t PoolBytes(const StructDef& def) {
    uint64_t bytes = 0;
    for (const RowCells& cells : def.m_cells)
        for (const auto& string : cells.m_strings)
            if (string) bytes += TextBytes(*string);
    return bytes;
}

void PutName(BYTE* at, const std::u16string& name) {
    std::memcpy(at, name.data(), std::min<size_t>(name.size(), XPR_NAME_CHARS - 1) * sizeof(WCHAR));
}

BYTE* PutText(BYTE* at, const std::u16string& text) {
    std::memcpy(at, text.c_str(), TextBytes(text));
    return at + TextBytes(text);
}

}  // namespace

DWORD AssembleBlock(const StructDef& def, XprStore* store) {
    std::vector<Table> tables;
    Number(def, tables);

    uint64_t size = sizeof(XprTable) * tables.size();
    for (const Table& table : tables) size += sizeof(XprColumn) * table.m_def->m_columns.size();
    for (const Table& table : tables) size += static_cast<uint64_t>(table.m_def->m_rowCount) * table.m_def->m_stride;
    for (const Table& table : tables) size += ValueBytes(*table.m_def) + PoolBytes(*table.m_def);
    if (size == 0 || size > 0xFFFFFFFFull) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    if (const DWORD result = AllocBlock(store, static_cast<DWORD>(size)); result >= KIT_SEVERITY_ERROR) return result;
    BYTE* const block = store->m_block;

    uint64_t at = 0;
    for (Table& table : tables) {
        table.m_header = at;
        at += sizeof(XprTable);
    }
    for (Table& table : tables) {
        table.m_columns = at;
        at += sizeof(XprColumn) * table.m_def->m_columns.size();
    }
    for (Table& table : tables) {
        table.m_rows = at;
        at += static_cast<uint64_t>(table.m_def->m_rowCount) * table.m_def->m_stride;
    }
    BYTE* values = block + at;
    for (const Table& table : tables) at += ValueBytes(*table.m_def);
    BYTE* pool = block + at;

    for (const Table& table : tables) {
        const StructDef& t = *table.m_def;
        XprTable header{};
        header.m_signature = XPR_SIGNATURE;
        header.m_version = XPR_VERSION;
        header.m_rows = t.m_rowCount ? block + table.m_rows : nullptr;  // a table without rows links nowhere
        header.m_stride = t.m_stride;
        header.m_rowCount = t.m_rowCount;
        header.m_columns = reinterpret_cast<XprColumn*>(block + table.m_columns);
        header.m_columnCount = static_cast<WORD>(t.m_columns.size());
        std::memcpy(block + table.m_header, &header, sizeof header);
        PutName(block + table.m_header + offsetof(XprTable, m_name), t.m_name);

        for (size_t c = 0; c < t.m_columns.size(); ++c) {
            const ColumnDef& column = t.m_columns[c];
            XprColumn descriptor{};
            descriptor.m_offset = column.m_offset;
            descriptor.m_kind = column.m_kind;
            descriptor.m_elementSize = column.m_elementSize;
            descriptor.m_count = column.m_count;
            BYTE* where = block + table.m_columns + c * sizeof(XprColumn);
            std::memcpy(where, &descriptor, sizeof descriptor);
            PutName(where, column.m_name);
        }
        if (!t.m_rows.empty()) std::memcpy(block + table.m_rows, t.m_rows.data(), t.m_rows.size());

        auto cellOf = [&](WORD row, const ColumnDef& column) {
            return block + table.m_rows + static_cast<uint64_t>(row) * t.m_stride + column.m_offset;
        };
        for (const ColumnDef& column : t.m_columns) {
            switch (column.m_kind) {
            case XprColumnKind::STRING:
                for (WORD row = 0; row < t.m_rowCount; ++row)
                    for (WORD element = 0; element < column.m_count; ++element) {
                        const auto& string = t.m_cells[row].m_strings[column.m_slot + element];
                        if (!string) continue;
                        xpr::StoreLink(cellOf(row, column) + element * 8, xpr::LinkOf(pool));
                        pool = PutText(pool, *string);
                    }
                break;
            case XprColumnKind::XPDSTRUCT: {
                size_t nested = 0;
                while (tables[nested].m_def != column.m_nested.get()) ++nested;
                for (WORD row = 0; row < t.m_rowCount; ++row)
                    xpr::StoreLink(cellOf(row, column), xpr::LinkOf(block + tables[nested].m_header));
                break;
            }
            case XprColumnKind::DYNAMIC: {
                // The column's records first, then each record's text and data.
                std::vector<BYTE*> records(t.m_rowCount, nullptr);
                for (WORD row = 0; row < t.m_rowCount; ++row) {
                    if (!t.m_cells[row].m_values[column.m_slot]) continue;
                    records[row] = values;
                    xpr::StoreLink(cellOf(row, column), xpr::LinkOf(values));
                    values += sizeof(XprValueRecord);
                }
                std::vector<std::pair<const std::u16string*, BYTE*>> texts;  // stored once per text
                for (WORD row = 0; row < t.m_rowCount; ++row) {
                    const auto& value = t.m_cells[row].m_values[column.m_slot];
                    if (!value) continue;
                    XprValueRecord record{};
                    record.m_kind = value->m_kind;
                    record.m_elementSize = value->m_elementSize;
                    record.m_count = value->m_count;
                    BYTE* text = nullptr;
                    if (value->m_sharedText) {
                        for (const auto& [earlier, where] : texts)
                            if (*earlier == value->m_text) text = where;
                    }
                    if (!text) {
                        text = values;
                        texts.emplace_back(&value->m_text, text);
                        values = PutText(values, value->m_text);
                    }
                    record.m_text = reinterpret_cast<WCHAR*>(text);
                    record.m_data = values;
                    if (!value->m_data.empty()) std::memcpy(values, value->m_data.data(), value->m_data.size());
                    values += value->m_data.size();
                    std::memcpy(records[row], &record, sizeof record);
                }
                break;
            }
            default:
                break;
            }
        }
    }
    return 0;
}

DWORD SaveStruct(const StructDef& def, LPCWSTR printerName) {
    auto* store = static_cast<XprStore*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(XprStore)));
    if (!store) return ReportStatus(XPR_OUT_OF_MEMORY, KIT_HERE);
    DWORD result = AssembleBlock(def, store);
    if (result < KIT_SEVERITY_ERROR) result = SaveByName(store, printerName, TRUE);
    FreeBlock(store);
    HeapFree(GetProcessHeap(), 0, store);
    return result;
}

}  // namespace xpc
