// The process and its modules: the current process's pseudo handle and the program module that
// opens its module list (palvex/process_image.h says which program that is). Modules loaded as
// data files are not part of the list, as on Windows.
#pragma once

#include "winbase.h"

// The current process (a pseudo handle that needs no closing).
WINBASEAPI HANDLE GetCurrentProcess(void);

// The full path of a module: null (or the handle EnumProcessModules gives for the program) is the
// program. Copies at most nSize - 1 characters and a terminator; returns the characters copied,
// or nSize with ERROR_INSUFFICIENT_BUFFER when the path was cut. Another module: 0 and
// ERROR_MOD_NOT_FOUND.
WINBASEAPI DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);

// The process's modules, the program first. Only the current process can be asked (else FALSE,
// ERROR_INVALID_HANDLE). *lpcbNeeded is the bytes the whole list takes; up to cb bytes of it are
// copied. No lpcbNeeded, or a buffer too small for one handle with cb > 0: FALSE and
// ERROR_NOACCESS.
WINBASEAPI BOOL EnumProcessModules(HANDLE hProcess, HMODULE* lphModule, DWORD cb, LPDWORD lpcbNeeded);

// The file name of a module without its folder (a null module is the program). Copies at most
// nSize - 1 characters and a terminator and returns the characters copied; 0 on failure (another
// process ERROR_INVALID_HANDLE, another module ERROR_MOD_NOT_FOUND, no buffer
// ERROR_INVALID_PARAMETER).
WINBASEAPI DWORD GetModuleBaseNameW(HANDLE hProcess, HMODULE hModule, LPWSTR lpBaseName, DWORD nSize);
