// The settings store: blocks read from and written to printer data, their sizes and compaction.
#include "xprimpl.h"

using namespace xpr;

namespace {

constexpr WCHAR kUnknownPrinter[] = u"";

bool MeasureTree(const XprTable* table, uint64_t* total, int depth) {
    if (depth > XPR_MAX_DEPTH) return false;
    for (DWORD i = 0; i < table->m_columnCount; ++i) {
        const XprColumn* column = &table->m_columns[i];
        if (column->m_kind == XprColumnKind::STRING) {
            for (DWORD row = 0; row < table->m_rowCount; ++row)
                for (DWORD element = 0; element < column->m_count; ++element)
                    if (const uint64_t link = LoadLink(RowAt(table, row) + column->m_offset + element * 8))
                        *total += (UnitLength(PointerOf<const void>(link)) + 1) * sizeof(WCHAR);
        } else if (column->m_kind == XprColumnKind::XPDSTRUCT && table->m_rowCount) {
            if (!MeasureTree(NestedTable(table, column), total, depth + 1)) return false;
        }
    }
    return true;
}

#if !defined(XPR_VARIANT_PRINTPROC)
void CopyTree(XprStore* store, XprTable* table, BYTE* pool, DWORD* offset, int depth) {
    if (depth > XPR_MAX_DEPTH) return;
    for (DWORD i = 0; i < table->m_columnCount; ++i) {
        const XprColumn* column = &table->m_columns[i];
        if (column->m_kind == XprColumnKind::STRING) {
            for (DWORD row = 0; row < table->m_rowCount; ++row) {
                for (DWORD element = 0; element < column->m_count; ++element) {
                    BYTE* field = RowAt(table, row) + column->m_offset + element * 8;
                    const uint64_t link = LoadLink(field);
                    if (!link) continue;
                    const DWORD bytes = static_cast<DWORD>((UnitLength(PointerOf<const void>(link)) + 1) * sizeof(WCHAR));
                    std::memcpy(pool + *offset, PointerOf<const void>(link), bytes);
                    StoreLink(field, uint64_t{store->m_fixedSize} + *offset);
                    *offset += bytes;
                }
            }
        } else if (column->m_kind == XprColumnKind::XPDSTRUCT && table->m_rowCount) {
            XprTable* nested = NestedTable(table, column);
            nested->m_parent = nullptr;
            CopyTree(store, nested, pool, offset, depth + 1);
        }
    }
}
#endif

}  // namespace

DWORD AllocBlock(XprStore* store, DWORD size) {
    if (!store || !size) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    DropBlock(store);
    // With room for the column index after the bytes when there is memory for it.
    BYTE* block = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size + ColumnIndexRoom(size)));
    store->m_indexRoom = block != nullptr;
    if (!block) block = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
    if (!block) return ReportStatus(XPR_OUT_OF_MEMORY, KIT_HERE);
    store->m_block = block;
    store->m_root = reinterpret_cast<XprTable*>(block);
    store->m_blockSize = size;
    return 0;
}

#if !defined(XPR_VARIANT_RENDER)
DWORD FreeBlock(XprStore* store) {
    if (!store) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    DropBlock(store);
    return 0;
}
#endif

DWORD MeasureStrings(XprStore* store, XprTable* table, DWORD* total) {
    if (!store || !table || !total) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    uint64_t sum = *total;
    if (!MeasureTree(table, &sum, 1) || sum > 0xFFFFFFFFu) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    *total = static_cast<DWORD>(sum);
    return 0;
}

DWORD UpdateSizes(XprStore* store) {
    if (!store || !store->m_root) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    DWORD pool = 0;
    if (const DWORD result = MeasureStrings(store, store->m_root, &pool); result >= KIT_SEVERITY_ERROR) return result;
    store->m_poolSize = pool;
    store->m_fixedSize = pool <= store->m_blockSize ? store->m_blockSize - pool : 0;
    return 0;
}

#if !defined(XPR_VARIANT_PRINTPROC)
DWORD CopyStrings(XprStore* store, XprTable* table, BYTE* pool, DWORD* offset) {
    if (!store || !table || !offset || (!pool && *offset)) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    CopyTree(store, table, pool, offset, 1);
    return 0;
}
#endif

DWORD LoadByHandle(XprStore* store, HANDLE printer, LPCWSTR name) {
    if (!store || IsBadHandle(printer) || IsEmpty(name)) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    LPWSTR valueName = const_cast<LPWSTR>(name);
    DWORD type = 0, needed = 0;
    DWORD error = GetPrinterDataW(printer, valueName, &type, nullptr, 0, &needed);
    if (error != ERROR_MORE_DATA) {
        DebugTrace(1, u"%s: GetPrinterData err=[%d]\n", u"XprStore::LoadByHandle", error);
        return ReportStatus(XPR_READ_FAILED, name, kUnknownPrinter);
    }
    if (const DWORD result = AllocBlock(store, needed); result >= KIT_SEVERITY_ERROR) return result;
    DWORD read = 0;
    error = GetPrinterDataW(printer, valueName, &type, store->m_block, needed, &read);
    if (error != ERROR_SUCCESS || read != needed) {
        // A value that changed size between the two calls is read again by the next load.
        DebugTrace(1, u"%s: GetPrinterData err=[%d] size=[%u] read=[%u]\n", u"XprStore::LoadByHandle", error, needed, read);
        DropBlock(store);
        return ReportStatus(XPR_READ_FAILED, name, kUnknownPrinter);
    }
    return AdoptStoredBlock(store, name);
}

#if !defined(XPR_VARIANT_RENDER)
DWORD LoadByName(XprStore* store, LPCWSTR printerName, LPCWSTR name) {
    if (!store || IsEmpty(printerName) || IsEmpty(name)) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName), &printer, nullptr)) {
        DebugTrace(1, u"%s: OpenPrinter err=[%d]\n", u"XprStore::LoadByName", GetLastError());
        return ReportStatus(XPR_OPEN_FAILED, printerName);
    }
    const DWORD result = LoadByHandle(store, printer, name);
    ClosePrinter(printer);
    return result;
}
#endif

namespace {

// A zeroed store with the named block loaded; on failure nothing stays allocated.
template <class LoadInto>
DWORD CreateStore(XprStore** out, LoadInto load) {
    XprStore* store = static_cast<XprStore*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(XprStore)));
    if (!store) return ReportStatus(XPR_OUT_OF_MEMORY, KIT_HERE);
    // Loading measures the block too (UpdateSizes).
    const DWORD result = load(store);
    if (result >= KIT_SEVERITY_ERROR) {
        DropBlock(store);
        HeapFree(GetProcessHeap(), 0, store);
        return result;
    }
    *out = store;
    return result;
}

}  // namespace

#if defined(XPR_VARIANT_PRINTPROC)
DWORD CreateByName(XprStore** store, LPCWSTR printerName, LPCWSTR name) {
    if (store) *store = nullptr;
    if (!store || IsEmpty(printerName) || IsEmpty(name)) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    return CreateStore(store, [&](XprStore* created) { return LoadByName(created, printerName, name); });
}
#else
DWORD CreateByHandle(XprStore** store, HANDLE printer, LPCWSTR name) {
    if (store) *store = nullptr;
    if (!store || IsBadHandle(printer) || IsEmpty(name)) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    return CreateStore(store, [&](XprStore* created) { return LoadByHandle(created, printer, name); });
}
#endif

#if !defined(XPR_VARIANT_PRINTPROC)

namespace {

// Writes the block; whatever happens, the block is back in run-time form afterwards unless
// keepPacked asked for the stored form after a successful write.
DWORD Save(XprStore* store, HANDLE printer, bool keepPacked) {
    if (!store || !store->m_block || IsBadHandle(printer)) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    // Only a block that would load again is written: a STRING value still linking outside the
    // block (written by SetValue and not yet compacted) would be stored as a meaningless offset.
    std::vector<uint64_t> tables;
    if (!CheckBlock(store->m_block, store->m_blockSize, {LinkForm::RunTime, false, store->m_blockSize}, &tables)) {
        DebugTrace(1, u"%s: block not in a savable state\n", u"XprStore::SaveByHandle");
        return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    }
    // The stored image holds no run-time owner links, of the root or of any nested table.
    std::vector<XprStore*> owners;
    owners.reserve(tables.size());
    for (uint64_t offset : tables) {
        XprTable* table = reinterpret_cast<XprTable*>(store->m_block + offset);
        XprStore* const owner = table->m_owner;  // a packed field: read by value, never bound by reference
        owners.push_back(owner);
        table->m_owner = nullptr;
    }
    const auto restoreOwners = [&] {
        for (size_t i = 0; i < tables.size(); ++i)
            reinterpret_cast<XprTable*>(store->m_block + tables[i])->m_owner = owners[i];
    };
    XprTable* root = store->m_root;
    PackTable(store, root, FALSE);
    const NameCopy name(NameOf(root));
    const DWORD error = SetPrinterDataW(printer, const_cast<LPWSTR>(name.m_text), REG_BINARY, store->m_block, store->m_blockSize);
    if (error != ERROR_SUCCESS) {
        DebugTrace(1, u"%s: SetPrinterData err=[%d]\n", u"XprStore::SaveByHandle", error);
        restoreOwners();
        UnpackTable(store, root);
        return ReportStatus(XPR_WRITE_FAILED, name.m_text, kUnknownPrinter);
    }
    if (keepPacked) return 0;
    restoreOwners();
    return UnpackTable(store, root);
}

}  // namespace

#if defined(XPR_VARIANT_UI)
DWORD SaveByHandle(XprStore* store, HANDLE printer, BOOL keepPacked) {
    return Save(store, printer, keepPacked != FALSE);
}
#else
DWORD SaveByHandle(XprStore* store, HANDLE printer) {
    return Save(store, printer, false);
}
#endif

DWORD CompactByHandle(XprStore* store, HANDLE printer) {
    if (!store || !store->m_block || IsBadHandle(printer)) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    const DWORD fixed = store->m_fixedSize;
    // The pool is the block's tail; everything else must lie before it, or copying the fixed part
    // would cut it off. Strings may link anywhere: they are all copied.
    if (store->m_poolSize > store->m_blockSize || fixed != store->m_blockSize - store->m_poolSize ||
        !CheckBlock(store->m_block, store->m_blockSize, {LinkForm::RunTime, true, fixed}, nullptr)) {
        DebugTrace(1, u"%s: block not in a compactable state\n", u"XprStore::CompactByHandle");
        return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    }
    XprTable* root = store->m_root;
    DWORD poolSize = 0;
    if (const DWORD result = MeasureStrings(store, root, &poolSize); result >= KIT_SEVERITY_ERROR) return result;
    const uint64_t newSize = uint64_t{fixed} + poolSize;
    if (newSize > 0xFFFFFFFFu) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);

    // Both allocations come first, so that running out of memory changes nothing.
    HANDLE heap = GetProcessHeap();
    BYTE* pool = poolSize ? static_cast<BYTE*>(HeapAlloc(heap, 0, poolSize)) : nullptr;
    if (poolSize && !pool) return ReportStatus(XPR_OUT_OF_MEMORY, KIT_HERE);
    BYTE* block = static_cast<BYTE*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, static_cast<SIZE_T>(newSize + ColumnIndexRoom(newSize))));
    const bool indexRoom = block != nullptr;
    if (!block) block = static_cast<BYTE*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, static_cast<SIZE_T>(newSize)));
    if (!block) {
        if (pool) HeapFree(heap, 0, pool);
        return ReportStatus(XPR_OUT_OF_MEMORY, KIT_HERE);
    }

    DWORD offset = 0;
    CopyStrings(store, root, pool, &offset);
    PackTable(store, root, TRUE);
    std::memcpy(block, store->m_block, fixed);
    if (poolSize) std::memcpy(block + fixed, pool, poolSize);
    if (pool) HeapFree(heap, 0, pool);
    HeapFree(heap, 0, store->m_block);
    store->m_block = block;
    store->m_root = reinterpret_cast<XprTable*>(block);
    store->m_blockSize = static_cast<DWORD>(newSize);
    store->m_indexRoom = indexRoom;
    UnpackTable(store, store->m_root);
    BuildColumnIndex(store, indexRoom);  // the tables moved with the block

    const DWORD saved = Save(store, printer, false);
    UpdateSizes(store);
    store->m_dirty = 0;
    return saved >= KIT_SEVERITY_ERROR ? saved : 0;
}

#endif  // !XPR_VARIANT_PRINTPROC

#if defined(XPR_VARIANT_UI)

namespace {

template <class Operation>
DWORD WithPrinterForWriting(LPCWSTR printerName, Operation operation) {
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<LPWSTR>(printerName), &printer, &defaults)) {
        DebugTrace(1, u"%s: OpenPrinter err=[%d]\n", u"XprStore::SaveByName", GetLastError());
        return ReportStatus(XPR_OPEN_FAILED, printerName);
    }
    const DWORD result = operation(printer);
    ClosePrinter(printer);
    return result;
}

}  // namespace

DWORD SaveByName(XprStore* store, LPCWSTR printerName, BOOL keepPacked) {
    if (!store || IsEmpty(printerName)) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    return WithPrinterForWriting(printerName, [&](HANDLE printer) { return SaveByHandle(store, printer, keepPacked); });
}

DWORD CompactByName(XprStore* store, LPCWSTR printerName) {
    if (!store || IsEmpty(printerName)) return ReportStatus(XPR_INVALID_PARAMETER, KIT_HERE);
    return WithPrinterForWriting(printerName, [&](HANDLE printer) { return CompactByHandle(store, printer); });
}

#endif
