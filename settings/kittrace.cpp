#include "kittrace.h"

#include <atomic>
#include <cstdarg>

#include <win/windows.h>

#ifndef KIT_TRACE_LEVEL
#define KIT_TRACE_LEVEL 0xFFFFFFFFu  // unset
#endif

namespace {

constexpr DWORD kUnsetLevel = 0xFFFFFFFFu;

// Process-wide; its only change is the one-way step from unset to 0.
std::atomic<DWORD> g_traceLevel{KIT_TRACE_LEVEL};

}  // namespace

void DebugTrace(DWORD level, LPCWSTR format, ...) {
    DWORD unset = kUnsetLevel;
    g_traceLevel.compare_exchange_strong(unset, 0, std::memory_order_relaxed);
    if (level > g_traceLevel.load(std::memory_order_relaxed) || !format) return;

    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = _vscwprintf(format, measure);
    va_end(measure);
    if (length < 0) {
        va_end(args);
        return;
    }
    WCHAR line[KIT_TRACE_CHARS];
    // Writes at most 511 characters; a longer text leaves them unterminated.
    _vsnwprintf(line, KIT_TRACE_CHARS - 1, format, args);
    va_end(args);
    line[length < KIT_TRACE_CHARS - 1 ? length : KIT_TRACE_CHARS - 1] = 0;
    OutputDebugStringW(line);
}
