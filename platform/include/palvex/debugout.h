// Capture of OutputDebugStringW for tests. Without a hook the lines go to standard error
// (as UTF-8) when PALVEX_DEBUG_OUTPUT is set, and nowhere otherwise.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include <win/wintypes.h>

namespace palvex {

using DebugOutputHook = void (*)(const WCHAR* line, void* context);

// Installs a process-wide hook with its context (a null hook removes it). Returns the previous
// hook and, through previousContext when given, the previous context. The hook may be called from
// any thread; a hook is never called again once the call that replaced it has returned.
__attribute__((visibility("default"))) DebugOutputHook SetDebugOutputHook(DebugOutputHook hook, void* context,
                                                                          void** previousContext = nullptr);

// Collects every line written, from any thread, while it lives, then puts back the hook (and its
// context) that was installed before it. Captures nest.
class __attribute__((visibility("default"))) DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;
    // A copy of the lines so far, each as it was written (with its own line end, if any).
    std::vector<std::u16string> lines() const;

private:
    static void Collect(const WCHAR* line, void* context);
    mutable std::mutex m_mutex;
    std::vector<std::u16string> m_lines;
    DebugOutputHook m_previous;
    void* m_previousContext;
};

}  // namespace palvex
