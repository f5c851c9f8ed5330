// The input method manager's contexts: every window has one of its own until another (or none)
// is associated with it.
#include <map>
#include <mutex>

#include <win/imm.h>

#include "user/ui_records.h"

namespace {

struct Contexts {
    std::mutex mutex;
    std::map<HWND, HIMC> associated;  // windows whose context was changed
};

Contexts& TheContexts() {
    static auto* contexts = new Contexts;  // outlives every static destructor
    return *contexts;
}

// A window's own context: a value of its own that no other window has.
HIMC OwnContext(HWND window) { return reinterpret_cast<HIMC>(reinterpret_cast<uintptr_t>(window) | 0x1000000000000ull); }

}  // namespace

HIMC ImmGetContext(HWND hWnd) {
    if (!IsWindow(hWnd)) return nullptr;
    Contexts& contexts = TheContexts();
    std::lock_guard lock(contexts.mutex);
    auto it = contexts.associated.find(hWnd);
    return it == contexts.associated.end() ? OwnContext(hWnd) : it->second;
}

BOOL ImmReleaseContext(HWND hWnd, HIMC) { return IsWindow(hWnd) ? TRUE : FALSE; }

HIMC ImmAssociateContext(HWND hWnd, HIMC hIMC) {
    if (!IsWindow(hWnd)) return nullptr;
    HIMC previous = nullptr;
    {
        Contexts& contexts = TheContexts();
        std::lock_guard lock(contexts.mutex);
        auto it = contexts.associated.find(hWnd);
        previous = it == contexts.associated.end() ? OwnContext(hWnd) : it->second;
        contexts.associated[hWnd] = hIMC;
    }
    palvex::win::RecordInputContextMove({hWnd, hIMC != nullptr});
    return previous;
}
