// The processes of the machine and their modules: the current process's pseudo handle and the
// program module that opens its module list (palvex/process_image.h says which program that is),
// the machine's process list and other processes' program modules. Modules loaded as data files
// are not part of the list, as on Windows.
#pragma once

#include "winbase.h"

#define PROCESS_TERMINATE 0x0001
#define PROCESS_VM_READ 0x0010
#define PROCESS_QUERY_INFORMATION 0x0400
#define PROCESS_QUERY_LIMITED_INFORMATION 0x1000

// The ids of the machine's running processes (palvex/processes.h): 0 (the system's idle process,
// which cannot be opened) first, then the processes the machine lists and the programs started
// with CreateProcessW, then this process. Copies up to cb bytes; *lpcbNeeded is the bytes copied
// (a full buffer means the list may be longer). No buffer or lpcbNeeded: FALSE and ERROR_NOACCESS.
WINBASEAPI BOOL EnumProcesses(DWORD* lpidProcess, DWORD cb, LPDWORD lpcbNeeded);

// A handle of a running process of the machine (closed with CloseHandle). Id 0 or one that is not
// running: NULL and ERROR_INVALID_PARAMETER.
WINBASEAPI HANDLE OpenProcess(DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwProcessId);

// The current process (a pseudo handle that needs no closing).
WINBASEAPI HANDLE GetCurrentProcess(void);

// The full path of a module: null (or the handle EnumProcessModules gives for the program) is the
// program. Copies at most nSize - 1 characters and a terminator; returns the characters copied,
// or nSize with ERROR_INSUFFICIENT_BUFFER when the path was cut. Another module: 0 and
// ERROR_MOD_NOT_FOUND.
WINBASEAPI DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);

// The process's modules, the program first: the current process, or one opened with OpenProcess
// (its program is its only module; anything else: FALSE, ERROR_INVALID_HANDLE). *lpcbNeeded is the bytes the whole list takes; up to cb bytes of it are
// copied. No lpcbNeeded, or a buffer too small for one handle with cb > 0: FALSE and
// ERROR_NOACCESS.
WINBASEAPI BOOL EnumProcessModules(HANDLE hProcess, HMODULE* lphModule, DWORD cb, LPDWORD lpcbNeeded);

// The file name of a module without its folder (a null module is the program), of the current
// process or one opened with OpenProcess. Copies at most nSize - 1 characters and a terminator and
// returns the characters copied; 0 on failure (an unknown process handle ERROR_INVALID_HANDLE,
// another module ERROR_MOD_NOT_FOUND, no buffer ERROR_INVALID_PARAMETER).
WINBASEAPI DWORD GetModuleBaseNameW(HANDLE hProcess, HMODULE hModule, LPWSTR lpBaseName, DWORD nSize);
