#include "store_fixture.h"

#include <cstring>

namespace xprtest {

void StoreDeleter::operator()(XprStore* store) const {
    if (!store) return;
    if (store->m_block) HeapFree(GetProcessHeap(), 0, store->m_block);
    HeapFree(GetProcessHeap(), 0, store);
}

StorePtr NewStore() {
    return StorePtr(static_cast<XprStore*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(XprStore))));
}

DWORD AdoptBytes(XprStore* store, const std::vector<BYTE>& bytes, const std::u16string& name) {
    if (const DWORD result = AllocBlock(store, static_cast<DWORD>(bytes.size())); result >= KIT_SEVERITY_ERROR)
        return result;
    std::memcpy(store->m_block, bytes.data(), bytes.size());
    return xpr::AdoptStoredBlock(store, name.c_str());
}

std::vector<BYTE> BlockBytes(const XprStore* store) {
    return std::vector<BYTE>(store->m_block, store->m_block + store->m_blockSize);
}

}  // namespace xprtest
