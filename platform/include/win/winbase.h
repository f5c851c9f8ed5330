// Kernel functions of the simulated platform: heaps, last error, debug output, wide-string helpers.
#pragma once

#include <cstdarg>

#include "winerror.h"
#include "wintypes.h"

// Heaps. HeapAlloc always hands out zeroed memory, whatever the flags.
#define HEAP_ZERO_MEMORY 0x00000008
#define HEAP_NO_SERIALIZE 0x00000001
#define HEAP_GENERATE_EXCEPTIONS 0x00000004
#define HEAP_REALLOC_IN_PLACE_ONLY 0x00000010
// A heap with a maximum size refuses allocations beyond it; blocks are 16-byte aligned. HeapFree,
// HeapSize and HeapReAlloc refuse a pointer the heap did not hand out; HeapDestroy frees what is left.
WINBASEAPI HANDLE GetProcessHeap(void);
WINBASEAPI HANDLE HeapCreate(DWORD flOptions, SIZE_T dwInitialSize, SIZE_T dwMaximumSize);
WINBASEAPI BOOL HeapDestroy(HANDLE hHeap);
WINBASEAPI LPVOID HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes);
WINBASEAPI LPVOID HeapReAlloc(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem, SIZE_T dwBytes);
WINBASEAPI BOOL HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem);
WINBASEAPI SIZE_T HeapSize(HANDLE hHeap, DWORD dwFlags, LPCVOID lpMem);
// What a heap holds: cbAllocated the bytes of its live blocks (a heap whose owners freed what they
// made holds none), cbCommitted and cbReserved the same here, cbMaxReserve its maximum (0: none).
// cb must be set to the record's size.
struct HEAP_SUMMARY {
    DWORD cb;
    SIZE_T cbAllocated;
    SIZE_T cbCommitted;
    SIZE_T cbReserved;
    SIZE_T cbMaxReserve;
};
typedef HEAP_SUMMARY* LPHEAP_SUMMARY;
WINBASEAPI BOOL HeapSummary(HANDLE hHeap, DWORD dwFlags, LPHEAP_SUMMARY lpSummary);

// Why a library's DllMain is called.
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1

// Last error, one per thread.
WINBASEAPI DWORD GetLastError(void);
WINBASEAPI void SetLastError(DWORD dwErrCode);

// Debug output; tests capture it through palvex/debugout.h.
WINBASEAPI void OutputDebugStringW(LPCWSTR lpOutputString);

// Wide-string helpers (NUL-terminated UTF-16).
WINBASEAPI int lstrlenW(LPCWSTR lpString);
WINBASEAPI int lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2);
WINBASEAPI int lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2);
WINBASEAPI LPWSTR lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2);
WINBASEAPI LPWSTR lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength);
WINBASEAPI LPWSTR lstrcatW(LPWSTR lpString1, LPCWSTR lpString2);

// Wide printf with the rules of the Windows C runtime's wide functions:
// - conversions d i u o x X c C s S p e E f F g G a A and %%; %n and anything else is a bad format;
// - %s and %c take wide arguments, %S and %C narrow ones; h (%hs, %hc) forces narrow, l and w wide;
//   narrow text is taken byte by byte; a null string prints "(null)";
// - flags - + space # 0 (0 pads strings and characters with zeros too); width and precision, either
//   as '*' (a negative width means '-', a negative precision none);
// - size prefixes hh h l ll I32 I64 I z j t L: l is 32 bits like LONG, I z j t are 64;
// - %p prints 16 upper-case hexadecimal digits.
// _vsnwprintf writes at most count characters: a shorter text is terminated and its length returned;
// a text of exactly count characters is written without terminator and count returned; a longer one
// is cut at count characters without terminator and -1 returned. A bad format returns -1 (with the
// buffer emptied).
WINBASEAPI int _vsnwprintf(WCHAR* buffer, size_t count, const WCHAR* format, va_list args);
WINBASEAPI int _snwprintf(WCHAR* buffer, size_t count, const WCHAR* format, ...);
// Length of the formatted text, without the terminator; -1 for a bad format.
WINBASEAPI int _vscwprintf(const WCHAR* format, va_list args);
