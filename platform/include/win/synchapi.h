// Synchronisation objects of the simulated platform.
#pragma once

#include "handleapi.h"

#ifndef ERROR_FILENAME_EXCED_RANGE
#define ERROR_FILENAME_EXCED_RANGE 206L
#endif

// Named mutexes are machine-wide: every process using the same machine root sees the same names
// (compared with case). CreateMutexW answers a new handle; when the name was already open in any
// process, through any handle, the handle refers to that object and the last error is
// ERROR_ALREADY_EXISTS, otherwise 0. An unnamed mutex is private to its handle. Names longer
// than MAX_PATH: NULL and ERROR_FILENAME_EXCED_RANGE. The name lives until its last handle is
// closed (CloseHandle) or its process ends.
// Ownership (bInitialOwner, waits, ReleaseMutex) is not modelled: only the names' existence is.
WINBASEAPI HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCWSTR lpName);

#ifndef INFINITE
#define INFINITE 0xFFFFFFFF
#endif

// Suspends the thread for dwMilliseconds on the machine clock. On a virtual clock it advances the
// clock instead and returns at once; Sleep(INFINITE) never returns on either.
WINBASEAPI void Sleep(DWORD dwMilliseconds);
