#include "printer_blocks.h"

#include "kitstatus.h"

OwnedStore LoadBlockByName(LPCWSTR printerName, LPCWSTR blockName) {
    if (!printerName || !*printerName) return nullptr;
    auto* store = static_cast<XprStore*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(XprStore)));
    if (!store) return nullptr;
    OwnedStore owned(store);
    if (LoadByName(store, printerName, blockName) >= KIT_SEVERITY_ERROR || !store->m_block) return nullptr;
    return owned;
}
