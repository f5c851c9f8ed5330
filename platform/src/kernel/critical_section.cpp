// Critical sections over a recursive mutex that the record points to while it is initialised.
#include <mutex>
#include <new>

#include <win/synchapi_critical.h>

namespace {

std::recursive_mutex* LockOf(LPCRITICAL_SECTION section) {
    return section ? static_cast<std::recursive_mutex*>(section->DebugInfo) : nullptr;
}

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    if (!lpCriticalSection) return;
    *lpCriticalSection = CRITICAL_SECTION{};
    lpCriticalSection->DebugInfo = new std::recursive_mutex;
    lpCriticalSection->LockCount = -1;
}

void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    if (!lpCriticalSection) return;
    delete LockOf(lpCriticalSection);
    *lpCriticalSection = CRITICAL_SECTION{};
}

void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    if (auto* lock = LockOf(lpCriticalSection)) {
        lock->lock();
        ++lpCriticalSection->RecursionCount;
    }
}

void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
    if (auto* lock = LockOf(lpCriticalSection)) {
        --lpCriticalSection->RecursionCount;
        lock->unlock();
    }
}
