// Events, waits and interlocked counts of the simulated platform.
#pragma once

#include "handleapi.h"

#ifndef INFINITE
#define INFINITE 0xFFFFFFFF
#endif

#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED 0x00000080L
#define WAIT_TIMEOUT 0x00000102L
#define WAIT_FAILED 0xFFFFFFFF

// Creates an unnamed event: manual reset (it stays signalled until ResetEvent) or automatic reset
// (one satisfied wait takes the signal away), signalled at first when bInitialState is set. The
// handle is closed with CloseHandle; a wait in progress keeps the event alive until it returns.
// Named events are not part of this machine: a non-empty name gives NULL and ERROR_NOT_SUPPORTED.
WINBASEAPI HANDLE CreateEventW(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                               LPCWSTR lpName);
// Signal and unsignal an event. Not an event handle: FALSE and ERROR_INVALID_HANDLE.
WINBASEAPI BOOL SetEvent(HANDLE hEvent);
WINBASEAPI BOOL ResetEvent(HANDLE hEvent);
// Waits until the event is signalled (WAIT_OBJECT_0) or dwMilliseconds have passed (WAIT_TIMEOUT;
// 0 only tests, INFINITE never times out). A finite time-out counts on this computer's clock, also
// when the machine runs on a virtual clock. Only events can be waited for: any other handle gives
// WAIT_FAILED with ERROR_INVALID_HANDLE.
WINBASEAPI DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

// Interlocked arithmetic on a 32-bit value shared between threads; each returns the new value.
inline LONG InterlockedIncrement(LONG volatile* addend) {
    return __atomic_add_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedDecrement(LONG volatile* addend) {
    return __atomic_sub_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
// Sets *target and returns its previous value.
inline LONG InterlockedExchange(LONG volatile* target, LONG value) {
    return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
