// Settings stores as the settings object and the writers hold them, the same in every variant of
// the runtime: freed with their blocks, and bound to their first row by the keyless walk.
#pragma once

#include <memory>

#include "xpr.h"

struct StoreFree {
    void operator()(XprStore* store) const {
        if (!store) return;
        if (store->m_block) HeapFree(GetProcessHeap(), 0, store->m_block);
        HeapFree(GetProcessHeap(), 0, store);
    }
};
using OwnedStore = std::unique_ptr<XprStore, StoreFree>;

// Binds *cursor to the first row of the table name (*cursor null on entry).
inline DWORD FetchFirstRow(XprStore* store, LPCWSTR name, XprTable** cursor) {
#if defined(XPR_VARIANT_UI)
    return FetchRow(store, name, cursor, nullptr);
#else
    return FetchRow(store, name, cursor);
#endif
}
