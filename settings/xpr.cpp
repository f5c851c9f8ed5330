// Settings blocks: packing and unpacking of links, and the checks a block passes before use.
#include <algorithm>
#include <unordered_set>

#include "xprimpl.h"

namespace xpr {

WCHAR UnitAt(const void* text, size_t index) {
    return Load<WCHAR>(static_cast<const BYTE*>(text) + index * sizeof(WCHAR));
}

size_t UnitLength(const void* text) {
    size_t length = 0;
    while (UnitAt(text, length)) ++length;
    return length;
}

bool EqualExact(const void* text, LPCWSTR key, size_t maxUnits) {
    for (size_t i = 0;; ++i) {
        const WCHAR unit = i < maxUnits ? UnitAt(text, i) : 0;
        if (unit != key[i]) return false;
        if (!unit) return true;
    }
}

bool EqualIgnoringCase(const void* text, size_t maxUnits, LPCWSTR key) {
    // The platform's rule maps one character to one, so equal texts have equal lengths and
    // compare equal piece by piece.
    const size_t keyLength = static_cast<size_t>(lstrlenW(key));
    size_t length = 0;
    while (length < maxUnits && length <= keyLength && UnitAt(text, length)) ++length;
    if (length != keyLength) return false;
    constexpr size_t kPiece = 63;
    for (size_t start = 0; start < length; start += kPiece) {
        WCHAR a[kPiece + 1], b[kPiece + 1];
        const size_t count = std::min(kPiece, length - start);
        for (size_t i = 0; i < count; ++i) {
            a[i] = UnitAt(text, start + i);
            b[i] = key[start + i];
        }
        a[count] = b[count] = 0;
        if (lstrcmpiW(a, b) != 0) return false;
    }
    return true;
}

NameCopy::NameCopy(const BYTE* field) {
    for (size_t i = 0; i < XPR_NAME_CHARS; ++i) m_text[i] = UnitAt(field, i);
    m_text[XPR_NAME_CHARS - 1] = 0;
}

namespace {

bool NameTerminated(const BYTE* field) {
    for (size_t i = 0; i < XPR_NAME_CHARS; ++i)
        if (!UnitAt(field, i)) return true;
    return false;
}

// Walks a block's table tree, checking every link against the block before following it, and
// collects the byte ranges of everything the tree uses so that they can be shown not to overlap.
class BlockChecker {
public:
    BlockChecker(const BYTE* block, DWORD size, const BlockRules& rules)
        : m_block(block),
          m_size(size),
          m_rules(rules),
          m_base(rules.m_form == LinkForm::RunTime ? LinkOf(block) : 0),
          m_limit(std::min<uint64_t>(rules.m_fixedLimit, size)) {}

    bool Run(std::vector<uint64_t>* tables) {
        if (m_size < sizeof(XprTable) || !Table(0, 1) || !Strings() || !Disjoint()) return false;
        if (tables) *tables = std::move(m_tables);
        return true;
    }

private:
    enum class TextKind { String, Text };
    struct Range {
        uint64_t m_begin;
        uint64_t m_end;
    };
    struct TextStart {
        uint64_t m_offset;
        TextKind m_kind;
    };

    // The offset a non-zero link points at, when that lies inside the block.
    bool Target(uint64_t link, uint64_t* offset) const {
        *offset = link - m_base;
        return *offset < m_size;
    }

    // Records [begin, begin + length) as used; it must end by limit.
    bool Use(uint64_t begin, uint64_t length, uint64_t limit) {
        if (begin > limit || length > limit - begin) return false;
        if (length) m_ranges.push_back({begin, begin + length});
        return true;
    }

    // A link of a table header (rows or columns) to length bytes.
    bool HeaderLink(uint64_t link, uint64_t length, uint64_t* offset) {
        if (!link) {
            *offset = 0;
            return length == 0;
        }
        if (!Target(link, offset)) return false;
        return Use(*offset, length, m_limit);
    }

    bool Table(uint64_t offset, int depth) {
        if (depth > XPR_MAX_DEPTH || !m_visited.insert(offset).second) return false;
        if (!Use(offset, sizeof(XprTable), m_limit)) return false;
        m_tables.push_back(offset);
        const BYTE* at = m_block + offset;
        const XprTable header = Load<XprTable>(at);
        if (!NameTerminated(at + offsetof(XprTable, m_name))) return false;

        uint64_t columns = 0, rows = 0;
        const uint64_t rowBytes = static_cast<uint64_t>(header.m_rowCount) * header.m_stride;
        if (!HeaderLink(LinkOf(header.m_columns), uint64_t{header.m_columnCount} * sizeof(XprColumn), &columns) ||
            !HeaderLink(LinkOf(header.m_rows), rowBytes, &rows))
            return false;
        if (header.m_rowCount && !header.m_rows) return false;

        // Every column owns its bytes of the row: two columns on one field would each read the
        // other's value as their own (a string's stored offset as a pointer, say).
        std::vector<Range> fields;
        for (DWORD i = 0; i < header.m_columnCount; ++i) {
            const BYTE* columnAt = m_block + columns + uint64_t{i} * sizeof(XprColumn);
            const XprColumn column = Load<XprColumn>(columnAt);
            if (!NameTerminated(columnAt) || !ColumnShape(column, header.m_stride)) return false;
            if (const uint64_t size = FieldSize(&column)) fields.push_back({column.m_offset, column.m_offset + size});
        }
        std::sort(fields.begin(), fields.end(), [](const Range& a, const Range& b) { return a.m_begin < b.m_begin; });
        for (size_t i = 1; i < fields.size(); ++i)
            if (fields[i].m_begin < fields[i - 1].m_end) return false;

        for (DWORD i = 0; i < header.m_columnCount; ++i) {
            const XprColumn column = Load<XprColumn>(m_block + columns + uint64_t{i} * sizeof(XprColumn));
            if (!header.m_rowCount) continue;
            bool ok = true;
            switch (column.m_kind) {
            case XprColumnKind::STRING: ok = StringColumn(header, rows, column); break;
            case XprColumnKind::XPDSTRUCT: ok = StructColumn(header, rows, column, depth); break;
            case XprColumnKind::DYNAMIC: ok = DynamicColumn(header, rows, column); break;
            default: break;
            }
            if (!ok) return false;
        }
        return true;
    }

    static bool ColumnShape(const XprColumn& column, DWORD stride) {
        switch (column.m_kind) {
        case XprColumnKind::STRING:
            if (column.m_elementSize != 8) return false;
            break;
        case XprColumnKind::DYNAMIC:
            if (column.m_elementSize != 8 || column.m_count != 1) return false;
            break;
        case XprColumnKind::XPDSTRUCT:
            if (column.m_elementSize != sizeof(XprStructValue) || column.m_count != 1) return false;
            break;
        default: break;
        }
        return uint64_t{column.m_offset} + FieldSize(&column) <= stride;
    }

    const BYTE* Field(uint64_t rows, const XprTable& header, DWORD row, const XprColumn& column) const {
        return m_block + rows + uint64_t{row} * header.m_stride + column.m_offset;
    }

    bool StringColumn(const XprTable& header, uint64_t rows, const XprColumn& column) {
        for (DWORD row = 0; row < header.m_rowCount; ++row) {
            const BYTE* field = Field(rows, header, row, column);
            for (DWORD element = 0; element < column.m_count; ++element) {
                const uint64_t link = LoadLink(field + element * 8);
                if (!link) continue;
                uint64_t offset;
                const bool inside = Target(link, &offset);
                if (m_rules.m_form == LinkForm::RunTime && m_rules.m_externalStrings) {
                    // Compaction copies these strings; only ones inside the block can be checked.
                    if (inside && !Terminated(offset, m_size)) return false;
                    continue;
                }
                if (!inside) return false;
                m_texts.push_back({offset, TextKind::String});
            }
        }
        return true;
    }

    bool StructColumn(const XprTable& header, uint64_t rows, const XprColumn& column, int depth) {
        const uint64_t link = LoadLink(Field(rows, header, 0, column));
        for (DWORD row = 1; row < header.m_rowCount; ++row)
            if (LoadLink(Field(rows, header, row, column)) != link) return false;
        uint64_t nested;
        if (!Target(link, &nested) || !Table(nested, depth + 1)) return false;
        const WORD nestedRows = Load<WORD>(m_block + nested + offsetof(XprTable, m_rowCount));
        for (DWORD row = 0; row < header.m_rowCount; ++row) {
            const BYTE* field = Field(rows, header, row, column);
            const WORD first = Load<WORD>(field + offsetof(XprStructValue, m_firstRow));
            const WORD end = Load<WORD>(field + offsetof(XprStructValue, m_endRow));
            if (first > end || end > nestedRows) return false;
        }
        return true;
    }

    bool DynamicColumn(const XprTable& header, uint64_t rows, const XprColumn& column) {
        for (DWORD row = 0; row < header.m_rowCount; ++row) {
            const uint64_t link = LoadLink(Field(rows, header, row, column));
            if (!link) continue;
            uint64_t record;
            if (!Target(link, &record) || !Use(record, sizeof(XprValueRecord), m_limit)) return false;
            const XprValueRecord value = Load<XprValueRecord>(m_block + record);
            uint64_t offset;
            if (value.m_text) {
                if (!Target(LinkOf(value.m_text), &offset)) return false;
                m_texts.push_back({offset, TextKind::Text});
            }
            if (value.m_data) {
                const uint64_t dataSize = uint64_t{value.m_elementSize} * value.m_count;
                if (!Target(LinkOf(value.m_data), &offset) || !Use(offset, dataSize, m_limit)) return false;
            }
        }
        return true;
    }

    // A NUL-terminated string starting at offset and ending by limit.
    bool Terminated(uint64_t offset, uint64_t limit, uint64_t* end = nullptr) const {
        for (uint64_t at = offset; at + sizeof(WCHAR) <= limit; at += sizeof(WCHAR)) {
            if (!UnitAt(m_block + at, 0)) {
                if (end) *end = at + sizeof(WCHAR);
                return true;
            }
        }
        return false;
    }

    // Strings and texts may not overlap, so each is searched for its NUL only up to where the next
    // one starts: every byte is read once.
    bool Strings() {
        std::sort(m_texts.begin(), m_texts.end(),
                  [](const TextStart& a, const TextStart& b) { return a.m_offset < b.m_offset; });
        for (size_t i = 0; i < m_texts.size(); ++i) {
            // Value records may share one text (the compiler stores a text that repeats within a
            // column once); strings never share.
            size_t j = i + 1;
            for (; j < m_texts.size() && m_texts[j].m_offset == m_texts[i].m_offset; ++j)
                if (m_texts[i].m_kind != TextKind::Text || m_texts[j].m_kind != TextKind::Text) return false;
            const uint64_t limit = m_texts[i].m_kind == TextKind::Text ? m_limit : m_size;
            const uint64_t next = j < m_texts.size() ? m_texts[j].m_offset : m_size;
            uint64_t end;
            if (!Terminated(m_texts[i].m_offset, std::min(limit, next), &end)) return false;
            m_ranges.push_back({m_texts[i].m_offset, end});
            i = j - 1;
        }
        return true;
    }

    bool Disjoint() {
        std::sort(m_ranges.begin(), m_ranges.end(), [](const Range& a, const Range& b) { return a.m_begin < b.m_begin; });
        uint64_t reached = 0;
        for (const Range& range : m_ranges) {
            if (range.m_begin < reached) return false;
            reached = range.m_end;
        }
        return true;
    }

    const BYTE* m_block;
    uint64_t m_size;
    BlockRules m_rules;
    uint64_t m_base;
    uint64_t m_limit;
    std::unordered_set<uint64_t> m_visited;
    std::vector<uint64_t> m_tables;
    std::vector<Range> m_ranges;
    std::vector<TextStart> m_texts;
};

// Adds delta to a non-zero link.
inline void Shift(void* at, uint64_t delta) {
    const uint64_t link = LoadLink(at);
    if (link) StoreLink(at, link + delta);
}
// A non-null pointer moved by delta; taken and given by value, as the records' members are packed.
template <class T>
inline T* Shifted(T* pointer, uint64_t delta) {
    return pointer ? PointerOf<T>(LinkOf(pointer) + delta) : pointer;
}

// Moves where a table's columns and rows lie.
void ShiftTable(XprTable* table, uint64_t delta) {
    table->m_columns = Shifted(table->m_columns, delta);
    table->m_rows = Shifted(table->m_rows, delta);
}

// Moves a dynamic value's text and data.
void ShiftRecord(XprValueRecord* record, uint64_t delta) {
    record->m_text = Shifted(record->m_text, delta);
    record->m_data = Shifted(record->m_data, delta);
}

void Unpack(XprTable* table, uint64_t base, int depth) {
    if (depth > XPR_MAX_DEPTH) return;
    ShiftTable(table, base);
    const XprColumn* columns = table->m_columns;

    for (DWORD i = 0; i < table->m_columnCount; ++i) {
        const XprColumn* column = &columns[i];
        switch (column->m_kind) {
        case XprColumnKind::STRING:
            for (DWORD row = 0; row < table->m_rowCount; ++row)
                for (DWORD element = 0; element < column->m_count; ++element)
                    Shift(RowAt(table, row) + column->m_offset + element * 8, base);
            break;
        case XprColumnKind::XPDSTRUCT:
            if (!table->m_rowCount) break;
            for (DWORD row = 0; row < table->m_rowCount; ++row) {
                BYTE* link = RowAt(table, row) + column->m_offset;
                StoreLink(link, LoadLink(link) + base);
            }
            {
                XprTable* nested = NestedTable(table, column);
                nested->m_parent = table;
                Unpack(nested, base, depth + 1);
            }
            break;
        case XprColumnKind::DYNAMIC:
            for (DWORD row = 0; row < table->m_rowCount; ++row) {
                BYTE* link = RowAt(table, row) + column->m_offset;
                Shift(link, base);
                if (XprValueRecord* record = PointerOf<XprValueRecord>(LoadLink(link))) {
                    ShiftRecord(record, base);
                }
            }
            break;
        default: break;
        }
    }
}

void Pack(XprTable* table, uint64_t base, bool leaveStrings, int depth) {
    if (depth > XPR_MAX_DEPTH) return;
    const uint64_t delta = uint64_t{0} - base;
    for (DWORD i = 0; i < table->m_columnCount; ++i) {
        const XprColumn* column = &table->m_columns[i];
        switch (column->m_kind) {
        case XprColumnKind::STRING:
            if (leaveStrings) break;
            for (DWORD row = 0; row < table->m_rowCount; ++row)
                for (DWORD element = 0; element < column->m_count; ++element)
                    Shift(RowAt(table, row) + column->m_offset + element * 8, delta);
            break;
        case XprColumnKind::XPDSTRUCT:
            if (!table->m_rowCount) break;
            {
                XprTable* nested = NestedTable(table, column);
                nested->m_parent = nullptr;
                Pack(nested, base, leaveStrings, depth + 1);
            }
            for (DWORD row = 0; row < table->m_rowCount; ++row) {
                BYTE* link = RowAt(table, row) + column->m_offset;
                StoreLink(link, LoadLink(link) + delta);
            }
            break;
        case XprColumnKind::DYNAMIC:
            for (DWORD row = 0; row < table->m_rowCount; ++row) {
                BYTE* link = RowAt(table, row) + column->m_offset;
                if (XprValueRecord* record = PointerOf<XprValueRecord>(LoadLink(link))) {
                    ShiftRecord(record, delta);
                    StoreLink(link, LoadLink(link) + delta);
                }
            }
            break;
        default: break;
        }
    }
    ShiftTable(table, delta);
}

}  // namespace

bool CheckBlock(const BYTE* block, DWORD size, const BlockRules& rules, std::vector<uint64_t>* tables) {
    if (!block) return false;
    return BlockChecker(block, size, rules).Run(tables);
}

void DropBlock(XprStore* store) {
    store->m_columnIndex = nullptr;
    store->m_indexRoom = 0;
    if (store->m_block) HeapFree(GetProcessHeap(), 0, store->m_block);
    store->m_block = nullptr;
    store->m_root = nullptr;
    store->m_blockSize = 0;
    store->m_poolSize = 0;
    store->m_fixedSize = 0;
}

DWORD AdoptStoredBlock(XprStore* store, LPCWSTR name) {
    DWORD code = 0;
    const BYTE* block = store->m_block;
    const DWORD size = store->m_blockSize;
    std::vector<uint64_t> tables;
    if (!block || size < sizeof(DWORD)) {
        code = ReportStatus(XPR_READ_FAILED, name, u"");
    } else if (const DWORD signature = Load<DWORD>(block); signature != XPR_SIGNATURE) {
        code = ReportStatus(XPR_BAD_SIGNATURE, signature, name, XPR_SIGNATURE);
    } else if (size < 2 * sizeof(DWORD)) {
        code = ReportStatus(XPR_READ_FAILED, name, u"");
    } else if (Load<DWORD>(block + offsetof(XprTable, m_version)) < XPR_VERSION) {
        code = ReportStatus(XPR_BAD_VERSION, name);
    } else if (!CheckBlock(block, size, {LinkForm::Stored, false, size}, &tables)) {
        DebugTrace(1, u"%s: malformed block [%s] size=[%u]\n", u"XprStore::LoadByHandle", name, size);
        code = ReportStatus(XPR_READ_FAILED, name, u"");
    }
    if (code >= KIT_SEVERITY_ERROR) {
        DropBlock(store);
        return code;
    }
    // The run-time links a stored block carries are another process's: forget them. Unpacking
    // sets the parent of every nested table again.
    for (uint64_t offset : tables) {
        XprTable* table = reinterpret_cast<XprTable*>(store->m_block + offset);
        table->m_owner = nullptr;
        table->m_parent = nullptr;
    }
    if (const DWORD result = UnpackTable(store, store->m_root); result >= KIT_SEVERITY_ERROR) return result;
    // Sizes of a block read before would otherwise be left behind, and compaction relies on them.
    const DWORD sized = UpdateSizes(store);
    BuildColumnIndex(store, store->m_indexRoom != 0);
    return sized;
}

}  // namespace xpr

using namespace xpr;

DWORD PackTable(XprStore* store, XprTable* table, BOOL leaveStrings) {
    if (!store || !store->m_block || !table) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    Pack(table, LinkOf(store->m_block), leaveStrings != FALSE, 1);
    return 0;
}

DWORD UnpackTable(XprStore* store, XprTable* table) {
    if (!store || !store->m_block || !table) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    Unpack(table, LinkOf(store->m_block), 1);
    return 0;
}
