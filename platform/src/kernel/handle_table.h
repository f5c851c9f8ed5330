// Handles the platform hands out for its objects (printers, registry keys). A handle is a number,
// never an address: every call looks it up in the table of its kind, so a closed, foreign or made-up
// handle is refused instead of being followed. All tables draw from one counter, so a handle of one
// kind is never valid as another kind.
#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>

#include <win/wintypes.h>

namespace palvex {

// The next handle value: never 0, never INVALID_HANDLE_VALUE, never reused within the process.
uintptr_t NextHandleValue();

template <class Object>
class HandleTable {
public:
    HANDLE Insert(std::shared_ptr<Object> object) {
        const uintptr_t value = NextHandleValue();
        std::lock_guard lock(m_mutex);
        m_objects.emplace(value, std::move(object));
        return reinterpret_cast<HANDLE>(value);
    }

    // The object of a live handle, or null. The caller's reference keeps it alive across a
    // concurrent close.
    std::shared_ptr<Object> Find(HANDLE handle) const {
        std::lock_guard lock(m_mutex);
        auto it = m_objects.find(reinterpret_cast<uintptr_t>(handle));
        return it == m_objects.end() ? nullptr : it->second;
    }

    // Removes a live handle; false when it is not one.
    bool Remove(HANDLE handle) {
        std::shared_ptr<Object> released;  // destroyed outside the lock
        std::lock_guard lock(m_mutex);
        auto it = m_objects.find(reinterpret_cast<uintptr_t>(handle));
        if (it == m_objects.end()) return false;
        released = std::move(it->second);
        m_objects.erase(it);
        return true;
    }

private:
    mutable std::mutex m_mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<Object>> m_objects;
};

}  // namespace palvex
