// Internals of the settings store runtime shared by xpr.cpp, xprst.cpp and xprrt.cpp (and the
// runtime's tests). Not part of the runtime's surface.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "kitstatus.h"
#include "kittrace.h"
#include "xpr.h"

namespace xpr {

// Fields inside rows and records may stand at any address: read and write them bytewise.
template <class T>
inline T Load(const void* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}
template <class T>
inline void Store(void* at, T value) {
    std::memcpy(at, &value, sizeof value);
}

inline uint64_t LoadLink(const void* at) {
    return Load<uint64_t>(at);
}
inline void StoreLink(void* at, uint64_t link) {
    Store<uint64_t>(at, link);
}
inline uint64_t LinkOf(const void* pointer) {
    return reinterpret_cast<uintptr_t>(pointer);
}
template <class T>
inline T* PointerOf(uint64_t link) {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(link));
}

inline bool IsEmpty(LPCWSTR text) {
    return !text || !text[0];
}
inline bool IsBadHandle(HANDLE handle) {
    return !handle || handle == INVALID_HANDLE_VALUE;
}

// Wide strings that may stand at any address (a block's strings and names).
WCHAR UnitAt(const void* text, size_t index);
size_t UnitLength(const void* text);
// Exact comparison with the NUL-terminated key; text ends at its NUL or after maxUnits characters.
bool EqualExact(const void* text, LPCWSTR key, size_t maxUnits = SIZE_MAX);
// Comparison ignoring case, with the platform's case rules; text ends at its NUL or after
// maxUnits characters.
bool EqualIgnoringCase(const void* text, size_t maxUnits, LPCWSTR key);

// The name fields of tables and columns.
inline const BYTE* NameOf(const XprTable* table) {
    return reinterpret_cast<const BYTE*>(table) + offsetof(XprTable, m_name);
}
inline const BYTE* NameOf(const XprColumn* column) {
    return reinterpret_cast<const BYTE*>(column) + offsetof(XprColumn, m_name);
}
// A name copied out of its field, always terminated (for messages and platform calls).
struct NameCopy {
    explicit NameCopy(const BYTE* field);
    WCHAR m_text[XPR_NAME_CHARS];
};

// Row r of table and the value field of column in it.
inline BYTE* RowAt(const XprTable* table, DWORD row) {
    return table->m_rows + static_cast<size_t>(row) * table->m_stride;
}
// The nested table of an XPDSTRUCT column, through the link in row 0 (table must have rows).
inline XprTable* NestedTable(const XprTable* table, const XprColumn* column) {
    return PointerOf<XprTable>(LoadLink(RowAt(table, 0) + column->m_offset));
}
// Bytes of a column's value in a row.
inline uint64_t FieldSize(const XprColumn* column) {
    return static_cast<uint64_t>(column->m_elementSize) * column->m_count;
}

// How CheckBlock reads links and which strings it accepts.
enum class LinkForm { Stored, RunTime };
struct BlockRules {
    LinkForm m_form;
    // Run-time form only: STRING values may link outside the block (strings that SetValue
    // wrote and compaction will take into the pool); those inside must still end in the block.
    bool m_externalStrings;
    // Everything but STRING strings must end at or before this offset.
    uint64_t m_fixedLimit;
};

// Checks the table tree of block against the rules in xpr.h. Read only. On success, tables (if
// given) receives the offset of every table of the tree, the root first.
bool CheckBlock(const BYTE* block, DWORD size, const BlockRules& rules, std::vector<uint64_t>* tables);

// Turns a freshly read stored block of the store into run-time form after checking it
// (signature 63004, version 63005, structure 63003) and measures it. A refused block is freed.
DWORD AdoptStoredBlock(XprStore* store, LPCWSTR name);

// Frees the store's block and forgets it.
void DropBlock(XprStore* store);

// The store's index of column names (xprindex.cpp). It lives in room allocated after a block's
// bytes (ColumnIndexRoom of its size), so it is freed with the block by whoever frees it. Built
// for the tables of the block when the block is taken in (hasRoom: the block's allocation has the
// room). IndexedColumn: true with the first column of table named name exactly (XPR_NONE when it
// has none) when table is indexed; false when the caller must scan.
uint64_t ColumnIndexRoom(uint64_t size);
void BuildColumnIndex(XprStore* store, bool hasRoom);
bool IndexedColumn(const XprStore* store, const XprTable* table, LPCWSTR name, WORD* column);

}  // namespace xpr
