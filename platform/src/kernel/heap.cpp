// Heaps: the process heap and private heaps. Every block is zeroed when handed out (also the part
// a reallocation adds), each heap knows its blocks, so a pointer it does not own is refused, and
// destroying a heap frees what is left in it.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include <win/winbase.h>

#include "kernel/handle_table.h"

namespace palvex {
namespace {

struct Heap {
    explicit Heap(SIZE_T maximum, bool process) : m_maximum(maximum), m_isProcessHeap(process) {}
    ~Heap() {
        for (auto& block : m_blocks) std::free(block.first);
    }

    const SIZE_T m_maximum;  // 0: grows as needed
    const bool m_isProcessHeap;
    std::mutex m_mutex;
    SIZE_T m_used = 0;
    std::unordered_map<void*, SIZE_T> m_blocks;

    bool Fits(SIZE_T more) const { return m_maximum == 0 || (more <= m_maximum && m_used <= m_maximum - more); }
};

HandleTable<Heap>& Heaps() {
    static auto* table = new HandleTable<Heap>;
    return *table;
}

HANDLE ProcessHeapHandle() {
    static HANDLE handle = Heaps().Insert(std::make_shared<Heap>(0, true));
    return handle;
}

}  // namespace
}  // namespace palvex

using palvex::Heap;
using palvex::Heaps;

HANDLE GetProcessHeap(void) {
    return palvex::ProcessHeapHandle();
}

HANDLE HeapCreate(DWORD, SIZE_T, SIZE_T dwMaximumSize) {
    try {
        return Heaps().Insert(std::make_shared<Heap>(dwMaximumSize, false));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

BOOL HeapDestroy(HANDLE hHeap) {
    const auto heap = Heaps().Find(hHeap);
    if (!heap || heap->m_isProcessHeap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Heaps().Remove(hHeap);  // the blocks go with the last reference
    return TRUE;
}

LPVOID HeapAlloc(HANDLE hHeap, DWORD, SIZE_T dwBytes) {
    const auto heap = Heaps().Find(hHeap);
    if (!heap) return nullptr;
    std::lock_guard lock(heap->m_mutex);
    if (!heap->Fits(dwBytes)) return nullptr;
    void* block = std::calloc(1, dwBytes == 0 ? 1 : dwBytes);
    if (!block) return nullptr;
    try {
        heap->m_blocks.emplace(block, dwBytes);
    } catch (const std::bad_alloc&) {
        std::free(block);
        return nullptr;
    }
    heap->m_used += dwBytes;
    return block;
}

LPVOID HeapReAlloc(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem, SIZE_T dwBytes) {
    const auto heap = Heaps().Find(hHeap);
    if (!heap || !lpMem) return nullptr;
    std::lock_guard lock(heap->m_mutex);
    auto it = heap->m_blocks.find(lpMem);
    if (it == heap->m_blocks.end()) return nullptr;
    const SIZE_T oldSize = it->second;
    if (dwBytes > oldSize && !heap->Fits(dwBytes - oldSize)) return nullptr;
    if (dwBytes <= oldSize) {
        // Shrinking stays in place; the bytes given up are cleared so a later growth shows zeros.
        std::memset(static_cast<BYTE*>(lpMem) + dwBytes, 0, oldSize - dwBytes);
        it->second = dwBytes;
        heap->m_used -= oldSize - dwBytes;
        return lpMem;
    }
    if (dwFlags & HEAP_REALLOC_IN_PLACE_ONLY) return nullptr;
    void* block = std::realloc(lpMem, dwBytes);
    if (!block) return nullptr;
    std::memset(static_cast<BYTE*>(block) + oldSize, 0, dwBytes - oldSize);
    auto node = heap->m_blocks.extract(it);  // the same node moves to the new address: no allocation
    node.key() = block;
    node.mapped() = dwBytes;
    heap->m_blocks.insert(std::move(node));
    heap->m_used += dwBytes - oldSize;
    return block;
}

BOOL HeapFree(HANDLE hHeap, DWORD, LPVOID lpMem) {
    const auto heap = Heaps().Find(hHeap);
    if (!heap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!lpMem) return TRUE;
    std::lock_guard lock(heap->m_mutex);
    auto it = heap->m_blocks.find(lpMem);
    if (it == heap->m_blocks.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    heap->m_used -= it->second;
    heap->m_blocks.erase(it);
    std::free(lpMem);
    return TRUE;
}

SIZE_T HeapSize(HANDLE hHeap, DWORD, LPCVOID lpMem) {
    const auto heap = Heaps().Find(hHeap);
    if (!heap) return static_cast<SIZE_T>(-1);
    std::lock_guard lock(heap->m_mutex);
    auto it = heap->m_blocks.find(const_cast<LPVOID>(lpMem));
    return it == heap->m_blocks.end() ? static_cast<SIZE_T>(-1) : it->second;
}

BOOL HeapSummary(HANDLE hHeap, DWORD, LPHEAP_SUMMARY lpSummary) {
    const auto heap = Heaps().Find(hHeap);
    if (!heap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!lpSummary || lpSummary->cb != sizeof(HEAP_SUMMARY)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(heap->m_mutex);
    lpSummary->cbAllocated = heap->m_used;
    lpSummary->cbCommitted = heap->m_used;
    lpSummary->cbReserved = heap->m_used;
    lpSummary->cbMaxReserve = heap->m_maximum;
    return TRUE;
}
