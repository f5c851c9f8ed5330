// OutputDebugStringW: the line goes to the hook a test installed, else to standard error when
// PALVEX_DEBUG_OUTPUT is set, else nowhere.
#include <cstdio>
#include <cstdlib>
#include <shared_mutex>

#include <palvex/debugout.h>
#include <win/winbase.h>

#include "crt/utf16.h"

namespace palvex {
namespace {

// The hook is called under a shared lock, so replacing it waits until no call is inside it; a
// capture object is therefore never called after its destructor has restored the previous hook.
std::shared_mutex& HookMutex() {
    static auto* mutex = new std::shared_mutex;
    return *mutex;
}
DebugOutputHook g_hook = nullptr;
void* g_hookContext = nullptr;
thread_local bool t_insideHook = false;

void WriteToStandardError(const WCHAR* line) {
    const char* enabled = std::getenv("PALVEX_DEBUG_OUTPUT");
    if (!enabled || !*enabled) return;
    const std::string text = text::ToUtf8(line);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

DebugOutputHook SetDebugOutputHook(DebugOutputHook hook, void* context, void** previousContext) {
    std::unique_lock lock(HookMutex());
    const DebugOutputHook previous = g_hook;
    if (previousContext) *previousContext = g_hookContext;
    g_hook = hook;
    g_hookContext = hook ? context : nullptr;
    return previous;
}

DebugOutputCapture::DebugOutputCapture() : m_previous(nullptr), m_previousContext(nullptr) {
    m_previous = SetDebugOutputHook(&DebugOutputCapture::Collect, this, &m_previousContext);
}

DebugOutputCapture::~DebugOutputCapture() {
    SetDebugOutputHook(m_previous, m_previousContext);
}

std::vector<std::u16string> DebugOutputCapture::lines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

void DebugOutputCapture::Collect(const WCHAR* line, void* context) {
    auto* self = static_cast<DebugOutputCapture*>(context);
    std::lock_guard lock(self->m_mutex);
    self->m_lines.emplace_back(line);
}

}  // namespace palvex

void OutputDebugStringW(LPCWSTR lpOutputString) {
    if (!lpOutputString) return;
    using namespace palvex;
    if (!t_insideHook) {
        std::shared_lock lock(HookMutex());
        if (g_hook) {
            // A line the hook itself writes goes the unhooked way instead of back into the hook.
            t_insideHook = true;
            try {
                g_hook(lpOutputString, g_hookContext);
            } catch (...) {
            }
            t_insideHook = false;
            return;
        }
    }
    WriteToStandardError(lpOutputString);
}
