#include "block_builder.h"

#include <cstring>
#include <functional>
#include <stdexcept>

namespace xprtest {

namespace {

template <class T>
void Put(std::vector<BYTE>& bytes, size_t at, T value) {
    std::memcpy(bytes.data() + at, &value, sizeof value);
}

void PutText(std::vector<BYTE>& bytes, size_t at, const std::u16string& text) {
    std::memcpy(bytes.data() + at, text.c_str(), (text.size() + 1) * sizeof(char16_t));
}

DWORD TextBytes(const std::u16string& text) {
    return static_cast<DWORD>((text.size() + 1) * sizeof(char16_t));
}

}  // namespace

WORD BlockBuilder::KindSize(XprColumnKind kind) {
    switch (kind) {
    case XprColumnKind::BYTE: return 1;
    case XprColumnKind::CHAR:
    case XprColumnKind::WORD:
    case XprColumnKind::SHORT: return 2;
    case XprColumnKind::DWORD:
    case XprColumnKind::LONG:
    case XprColumnKind::COLORREF: return 4;
    case XprColumnKind::DWORD64:
    case XprColumnKind::LONG64:
    case XprColumnKind::STRING:
    case XprColumnKind::DYNAMIC: return 8;
    case XprColumnKind::XPDSTRUCT: return 12;
    }
    return 0;
}

int BlockBuilder::AddTable(const std::u16string& name, const std::vector<ColumnSpec>& columns) {
    Table table;
    table.m_name = name;
    std::vector<ColumnSpec> all{{u"TAG", XprColumnKind::STRING}};
    all.insert(all.end(), columns.begin(), columns.end());
    for (ColumnSpec column : all) {
        if (!column.m_elementSize) column.m_elementSize = KindSize(column.m_kind);
        table.m_columns.push_back({column, table.m_stride});
        table.m_stride += DWORD{column.m_elementSize} * column.m_count;
    }
    m_tables.push_back(std::move(table));
    return static_cast<int>(m_tables.size() - 1);
}

int BlockBuilder::AddRow(int table, std::optional<std::u16string> key) {
    Table& t = m_tables.at(table);
    Row row;
    row.m_bytes.assign(t.m_stride, 0);
    if (key) row.m_strings[0] = *key;
    t.m_rows.push_back(std::move(row));
    return static_cast<int>(t.m_rows.size() - 1);
}

const BlockBuilder::Column& BlockBuilder::FindColumn(int table, const std::u16string& name) const {
    for (const Column& column : m_tables.at(table).m_columns)
        if (column.m_spec.m_name == name) return column;
    throw std::invalid_argument("no such column");
}

void BlockBuilder::SetBytes(int table, int row, const std::u16string& column, const std::vector<BYTE>& bytes) {
    const Column& c = FindColumn(table, column);
    std::memcpy(m_tables.at(table).m_rows.at(row).m_bytes.data() + c.m_offset, bytes.data(), bytes.size());
}

void BlockBuilder::SetDword(int table, int row, const std::u16string& column, DWORD value) {
    std::vector<BYTE> bytes(4);
    std::memcpy(bytes.data(), &value, 4);
    SetBytes(table, row, column, bytes);
}

void BlockBuilder::SetString(int table, int row, const std::u16string& column, const std::u16string& text, WORD element) {
    const Column& c = FindColumn(table, column);
    m_tables.at(table).m_rows.at(row).m_strings[c.m_offset + DWORD{element} * 8] = text;
}

void BlockBuilder::SetNested(int table, const std::u16string& column, int nested) {
    for (Column& c : m_tables.at(table).m_columns)
        if (c.m_spec.m_name == column) c.m_nested = nested;
}

void BlockBuilder::SetSlice(int table, int row, const std::u16string& column, WORD first, WORD end) {
    const Column& c = FindColumn(table, column);
    std::vector<BYTE>& bytes = m_tables.at(table).m_rows.at(row).m_bytes;
    Put<WORD>(bytes, c.m_offset + 8, first);
    Put<WORD>(bytes, c.m_offset + 10, end);
}

void BlockBuilder::SetRecord(int table, int row, const std::u16string& column, std::optional<std::u16string> text,
                             XprColumnKind kind, WORD elementSize, WORD count, const std::vector<BYTE>& data) {
    const Column& c = FindColumn(table, column);
    m_records.push_back({std::move(text), kind, elementSize, count, data});
    m_tables.at(table).m_rows.at(row).m_records[c.m_offset] = static_cast<int>(m_records.size() - 1);
}

std::vector<BYTE> BlockBuilder::Build(BlockLayout* layoutOut) const {
    BlockLayout layout;
    DWORD at = 0;
    for (const Table& t : m_tables) {
        layout.m_tables.push_back(at);
        at += sizeof(XprTable);
        layout.m_columns.push_back(at);
        at += static_cast<DWORD>(t.m_columns.size() * sizeof(XprColumn));
        layout.m_rows.push_back(at);
        at += static_cast<DWORD>(t.m_rows.size()) * t.m_stride;
    }
    for (size_t i = 0; i < m_records.size(); ++i) {
        layout.m_records.push_back(at);
        at += sizeof(XprValueRecord);
    }
    std::vector<DWORD> textAt(m_records.size()), dataAt(m_records.size());
    for (size_t i = 0; i < m_records.size(); ++i)
        if (m_records[i].m_text) {
            textAt[i] = at;
            layout.m_texts.push_back(at);
            at += TextBytes(*m_records[i].m_text);
        }
    for (size_t i = 0; i < m_records.size(); ++i)
        if (!m_records[i].m_data.empty()) {
            dataAt[i] = at;
            layout.m_data.push_back(at);
            at += static_cast<DWORD>(m_records[i].m_data.size());
        }
    layout.m_pool = at;

    // Pool order: each STRING column in column order, row by row, element by element, and each
    // nested table where its XPDSTRUCT column stands.
    std::map<std::pair<int, DWORD>, DWORD> stringAt;  // (table, offset of the element in the table's rows)
    std::function<void(int)> place = [&](int index) {
        const Table& t = m_tables[index];
        for (const Column& c : t.m_columns) {
            if (c.m_spec.m_kind == XprColumnKind::STRING) {
                for (size_t r = 0; r < t.m_rows.size(); ++r)
                    for (DWORD e = 0; e < c.m_spec.m_count; ++e) {
                        const DWORD inRow = c.m_offset + e * 8;
                        auto found = t.m_rows[r].m_strings.find(inRow);
                        if (found == t.m_rows[r].m_strings.end()) continue;
                        stringAt[{index, static_cast<DWORD>(r) * t.m_stride + inRow}] = at;
                        layout.m_strings.push_back(at);
                        at += TextBytes(found->second);
                    }
            } else if (c.m_spec.m_kind == XprColumnKind::XPDSTRUCT && c.m_nested >= 0 && !t.m_rows.empty()) {
                place(c.m_nested);
            }
        }
    };
    if (!m_tables.empty()) place(0);
    layout.m_size = at;

    std::vector<BYTE> block(at, 0);
    for (size_t i = 0; i < m_tables.size(); ++i) {
        const Table& t = m_tables[i];
        const DWORD h = layout.m_tables[i];
        Put<DWORD>(block, h + 0, XPR_SIGNATURE);
        Put<DWORD>(block, h + 4, XPR_VERSION);
        PutText(block, h + 24, t.m_name);
        Put<uint64_t>(block, h + 120, t.m_rows.empty() ? 0 : layout.m_rows[i]);
        Put<DWORD>(block, h + 128, t.m_stride);
        Put<WORD>(block, h + 132, static_cast<WORD>(t.m_rows.size()));
        Put<uint64_t>(block, h + 136, layout.m_columns[i]);
        Put<WORD>(block, h + 144, static_cast<WORD>(t.m_columns.size()));
        Put<WORD>(block, h + 146, 0);
        Put<WORD>(block, h + 148, static_cast<WORD>(t.m_rows.size()));
        Put<WORD>(block, h + 150, XPR_NONE);
        Put<WORD>(block, h + 152, XPR_NONE);
        for (size_t c = 0; c < t.m_columns.size(); ++c) {
            const Column& column = t.m_columns[c];
            const size_t at = layout.m_columns[i] + c * sizeof(XprColumn);
            PutText(block, at, column.m_spec.m_name);
            Put<DWORD>(block, at + 96, column.m_offset);
            Put<DWORD>(block, at + 100, static_cast<DWORD>(column.m_spec.m_kind));
            Put<WORD>(block, at + 104, column.m_spec.m_elementSize);
            Put<WORD>(block, at + 106, column.m_spec.m_count);
        }
        for (size_t r = 0; r < t.m_rows.size(); ++r) {
            const Row& row = t.m_rows[r];
            const DWORD rowAt = layout.m_rows[i] + static_cast<DWORD>(r) * t.m_stride;
            std::memcpy(block.data() + rowAt, row.m_bytes.data(), row.m_bytes.size());
            for (const Column& column : t.m_columns)
                if (column.m_spec.m_kind == XprColumnKind::XPDSTRUCT && column.m_nested >= 0)
                    Put<uint64_t>(block, rowAt + column.m_offset, layout.m_tables[column.m_nested]);
            for (const auto& [inRow, text] : row.m_strings) {
                auto found = stringAt.find({static_cast<int>(i), static_cast<DWORD>(r) * t.m_stride + inRow});
                if (found == stringAt.end()) continue;  // a table outside the tree
                Put<uint64_t>(block, rowAt + inRow, found->second);
                PutText(block, found->second, text);
            }
            for (const auto& [inRow, record] : row.m_records) Put<uint64_t>(block, rowAt + inRow, layout.m_records[record]);
        }
    }
    for (size_t i = 0; i < m_records.size(); ++i) {
        const Record& record = m_records[i];
        const DWORD at = layout.m_records[i];
        Put<uint64_t>(block, at + 0, record.m_text ? textAt[i] : 0);
        Put<uint64_t>(block, at + 8, record.m_data.empty() ? 0 : dataAt[i]);
        Put<DWORD>(block, at + 16, static_cast<DWORD>(record.m_kind));
        Put<WORD>(block, at + 20, record.m_elementSize);
        Put<WORD>(block, at + 22, record.m_count);
        if (record.m_text) PutText(block, textAt[i], *record.m_text);
        if (!record.m_data.empty()) std::memcpy(block.data() + dataAt[i], record.m_data.data(), record.m_data.size());
    }
    if (layoutOut) *layoutOut = layout;
    return block;
}

}  // namespace xprtest
