#include "kernel/handle_table.h"

#include <atomic>

namespace palvex {

uintptr_t NextHandleValue() {
    // Multiples of four, as Windows hands out, starting well above the small numbers a caller
    // might pass by mistake.
    static std::atomic<uintptr_t> next{0x1000};
    return next.fetch_add(4, std::memory_order_relaxed);
}

}  // namespace palvex
