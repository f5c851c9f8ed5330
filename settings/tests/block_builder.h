// Lays out settings blocks in stored form for tests: tables with their columns, rows, strings,
// nested tables and value records, placed one after another (tables, records, record texts,
// record data, then the string pool in the order compaction writes it).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "xpr.h"

namespace xprtest {

struct ColumnSpec {
    std::u16string m_name;
    XprColumnKind m_kind;
    WORD m_count = 1;
    WORD m_elementSize = 0;  // 0: the kind's own size
};

// Where the builder put things (byte offsets in the block).
struct BlockLayout {
    std::vector<DWORD> m_tables;
    std::vector<DWORD> m_columns;
    std::vector<DWORD> m_rows;
    std::vector<DWORD> m_records;  // in the order SetRecord was called
    std::vector<DWORD> m_texts;    // of the records that have one, same order
    std::vector<DWORD> m_data;     // of the records that have data, same order
    std::vector<DWORD> m_strings;  // pool strings in pool order
    DWORD m_pool = 0;              // start of the pool (= fixed size)
    DWORD m_size = 0;
};

class BlockBuilder {
public:
    // Adds a table whose column 0 is "TAG"; the first table added is the root.
    int AddTable(const std::u16string& name, const std::vector<ColumnSpec>& columns);
    // Adds a row with the given key (no key: a TAG link of 0). Returns the row's index.
    int AddRow(int table, std::optional<std::u16string> key);

    void SetBytes(int table, int row, const std::u16string& column, const std::vector<BYTE>& bytes);
    void SetDword(int table, int row, const std::u16string& column, DWORD value);
    void SetString(int table, int row, const std::u16string& column, const std::u16string& text, WORD element = 0);
    // Every row of the XPDSTRUCT column links to nested; each row's slice is set by SetSlice.
    void SetNested(int table, const std::u16string& column, int nested);
    void SetSlice(int table, int row, const std::u16string& column, WORD first, WORD end);
    void SetRecord(int table, int row, const std::u16string& column, std::optional<std::u16string> text,
                   XprColumnKind kind, WORD elementSize, WORD count, const std::vector<BYTE>& data);

    std::vector<BYTE> Build(BlockLayout* layout = nullptr) const;

    static WORD KindSize(XprColumnKind kind);

private:
    struct Column {
        ColumnSpec m_spec;
        DWORD m_offset;
        int m_nested = -1;
    };
    struct Record {
        std::optional<std::u16string> m_text;
        XprColumnKind m_kind;
        WORD m_elementSize;
        WORD m_count;
        std::vector<BYTE> m_data;
    };
    struct Row {
        std::vector<BYTE> m_bytes;
        std::map<DWORD, std::u16string> m_strings;  // by offset in the row
        std::map<DWORD, int> m_records;             // by offset in the row
    };
    struct Table {
        std::u16string m_name;
        std::vector<Column> m_columns;
        DWORD m_stride = 0;
        std::vector<Row> m_rows;
    };
    const Column& FindColumn(int table, const std::u16string& name) const;

    std::vector<Table> m_tables;
    std::vector<Record> m_records;
};

}  // namespace xprtest
