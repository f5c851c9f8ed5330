// Columns by name for the tables of a loaded block. A lookup by settings key otherwise compares
// the key with every column name before it, which grows with the table; the index is built once
// when a block is taken in, so a lookup costs one hash of the key and one comparison. A found
// column is always compared by name, so an index that no longer fits its tables finds nothing
// wrong: the lookup then falls back to the scan.
#include <cstring>
#include <new>
#include <vector>

#include "xprimpl.h"

namespace xpr {
namespace {

// One slot per column name (the first column of each name) and one per indexed table (column
// XPR_NONE, hashed with the empty name). A null table marks an empty slot.
struct Slot {
    const XprTable* m_table;
    uint32_t m_hash;
    WORD m_column;
    WORD m_unused;
};
static_assert(sizeof(Slot) == 16);

// The index lies in the room after the block's bytes (ColumnIndexRoom), so it goes wherever the
// block goes, whoever frees it: a slot count, then the slots.
struct ColumnIndex {
    uint64_t m_slotCount;  // a power of two, at most half full
    Slot* slots() { return reinterpret_cast<Slot*>(this + 1); }
};

// Most slots a block of size bytes can need: every column and every table of it, twice over.
uint64_t SlotsFor(uint64_t size) {
    const uint64_t entries = size / sizeof(XprColumn) + size / sizeof(XprTable) + 1;
    uint64_t slots = 16;
    while (slots < entries * 2) slots *= 2;
    return slots;
}

uint32_t Mix(uint32_t hash, uint32_t value) {
    return (hash ^ value) * 16777619u;
}

uint32_t TableSeed(const XprTable* table) {
    const auto address = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(table));
    return Mix(Mix(2166136261u, static_cast<uint32_t>(address)), static_cast<uint32_t>(address >> 32));
}

// The hash of a name read from a block field (at most maxUnits characters, may stand unaligned).
uint32_t HashField(const XprTable* table, const void* name, size_t maxUnits) {
    uint32_t hash = TableSeed(table);
    for (size_t i = 0; i < maxUnits; ++i) {
        const WCHAR unit = UnitAt(name, i);
        if (!unit) break;
        hash = Mix(hash, unit);
    }
    return hash;
}

uint32_t HashKey(const XprTable* table, LPCWSTR key) {
    uint32_t hash = TableSeed(table);
    for (; *key; ++key) hash = Mix(hash, *key);
    return hash;
}

// The slot matching (same table and hash, and matches()), or the empty slot where it would go.
template <class Matches>
Slot& Probe(ColumnIndex& index, const XprTable* table, uint32_t hash, Matches&& matches) {
    const uint64_t mask = index.m_slotCount - 1;
    Slot* slots = index.slots();
    for (uint64_t at = (hash ^ (hash >> 15)) & mask;; at = (at + 1) & mask) {
        Slot& slot = slots[at];
        if (!slot.m_table || (slot.m_table == table && slot.m_hash == hash && matches(slot))) return slot;
    }
}

void Collect(const XprTable* table, int depth, std::vector<const XprTable*>* tables) {
    if (depth > XPR_MAX_DEPTH) return;
    for (const XprTable* known : *tables)
        if (known == table) return;
    tables->push_back(table);
    if (!table->m_rowCount) return;
    for (DWORD i = 0; i < table->m_columnCount; ++i) {
        const XprColumn* column = &table->m_columns[i];
        if (column->m_kind != XprColumnKind::XPDSTRUCT) continue;
        if (const XprTable* nested = NestedTable(table, column)) Collect(nested, depth + 1, tables);
    }
}

// Where the index of a block of size bytes starts in its allocation.
uint64_t IndexOffset(uint64_t size) {
    return (size + 7) / 8 * 8;
}

}  // namespace

uint64_t ColumnIndexRoom(uint64_t size) {
    return IndexOffset(size) - size + sizeof(ColumnIndex) + SlotsFor(size) * sizeof(Slot);
}

void BuildColumnIndex(XprStore* store, bool hasRoom) {
    store->m_columnIndex = nullptr;
    if (!hasRoom || !store->m_block || !store->m_root) return;
    std::vector<const XprTable*> tables;
    try {
        Collect(store->m_root, 0, &tables);
    } catch (const std::bad_alloc&) {
        return;  // lookups scan the columns instead
    }
    auto* index = reinterpret_cast<ColumnIndex*>(store->m_block + IndexOffset(store->m_blockSize));
    index->m_slotCount = SlotsFor(store->m_blockSize);
    std::memset(index->slots(), 0, index->m_slotCount * sizeof(Slot));
    for (const XprTable* table : tables) {
        for (WORD i = 0; i < table->m_columnCount; ++i) {
            const void* name = NameOf(&table->m_columns[i]);
            const uint32_t hash = HashField(table, name, XPR_NAME_CHARS);
            Slot& slot = Probe(*index, table, hash, [&](const Slot& other) {
                return other.m_column != XPR_NONE &&
                       EqualExact(name, NameCopy(NameOf(&table->m_columns[other.m_column])).m_text, XPR_NAME_CHARS);
            });
            if (!slot.m_table) slot = Slot{table, hash, i, 0};  // a later column of the same name is never found
        }
        const uint32_t hash = TableSeed(table);
        Slot& slot = Probe(*index, table, hash, [](const Slot& other) { return other.m_column == XPR_NONE; });
        if (!slot.m_table) slot = Slot{table, hash, XPR_NONE, 0};
    }
    store->m_columnIndex = index;
}

bool IndexedColumn(const XprStore* store, const XprTable* table, LPCWSTR name, WORD* column) {
    if (!store || !store->m_columnIndex) return false;
    auto& index = *static_cast<ColumnIndex*>(store->m_columnIndex);
    const Slot& slot = Probe(index, table, HashKey(table, name), [&](const Slot& found) {
        return found.m_column != XPR_NONE && found.m_column < table->m_columnCount &&
               EqualExact(NameOf(&table->m_columns[found.m_column]), name, XPR_NAME_CHARS);
    });
    if (slot.m_table) {
        *column = slot.m_column;
        return true;
    }
    // Not found: an indexed table has no such column; any other table is for the caller to scan.
    if (!Probe(index, table, TableSeed(table), [](const Slot& found) { return found.m_column == XPR_NONE; }).m_table)
        return false;
    *column = XPR_NONE;
    return true;
}

}  // namespace xpr
