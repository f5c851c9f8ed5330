// Objects of the option-item framework live on the sheet's private heap (the plug-in heap the
// universal driver hands to CommonUIProp): made zero-filled there, freed there, and their maps
// draw their nodes from the same heap, so that a sheet that goes leaves nothing behind.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

#include <win/windows.h>

// An allocator of the standard containers over one heap. A refused allocation throws
// std::bad_alloc, which the framework catches where it inserts.
template <class T>
struct SheetHeapAllocator {
    using value_type = T;
    HANDLE m_heap = nullptr;

    explicit SheetHeapAllocator(HANDLE heap) : m_heap(heap) {}
    template <class U>
    SheetHeapAllocator(const SheetHeapAllocator<U>& other) : m_heap(other.m_heap) {}

    T* allocate(std::size_t count) {
        if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
        void* block = HeapAlloc(m_heap, HEAP_ZERO_MEMORY, count * sizeof(T));
        if (!block) throw std::bad_alloc();
        return static_cast<T*>(block);
    }
    void deallocate(T* block, std::size_t) { HeapFree(m_heap, 0, block); }

    template <class U>
    bool operator==(const SheetHeapAllocator<U>& other) const { return m_heap == other.m_heap; }
};

// Makes a T on the heap (zero-filled before construction); null when the heap refuses.
template <class T, class... Args>
T* MakeOnHeap(HANDLE heap, Args&&... args) {
    void* block = HeapAlloc(heap, HEAP_ZERO_MEMORY, sizeof(T));
    if (!block) return nullptr;
    return new (block) T(std::forward<Args>(args)...);
}

// Destroys a T made by MakeOnHeap and gives its memory back to the heap.
template <class T>
void FreeOnHeap(HANDLE heap, T* object) {
    if (!object) return;
    object->~T();
    HeapFree(heap, 0, object);
}
