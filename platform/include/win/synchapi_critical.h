// Critical sections: a lock inside one process that the same thread may take again (each Enter
// matched by a Leave). The record has the platform's layout; what it holds is the platform's own.
// Initialize before use and Delete after the last use; a deleted section may be initialised again.
#pragma once

#include <cstddef>

#include "wintypes.h"

struct CRITICAL_SECTION {
    PVOID DebugInfo;       // the platform's lock while the section is initialised
    LONG LockCount;
    LONG RecursionCount;   // times the owning thread entered it
    HANDLE OwningThread;
    HANDLE LockSemaphore;
    ULONG_PTR SpinCount;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;
static_assert(sizeof(CRITICAL_SECTION) == 40 && offsetof(CRITICAL_SECTION, OwningThread) == 16);

WINBASEAPI void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
WINBASEAPI void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
WINBASEAPI void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
WINBASEAPI void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
