// Starting a program through the shell. ShellExecuteExW with the verb "open" (or none) starts an
// executable file as a child process (CreateProcessW): a bare file name is looked for in
// C:\Windows\System32 and C:\Windows, and ".exe" is added when it has no extension.
#pragma once

#include "wintypes.h"

#ifndef ERROR_NO_ASSOCIATION
#define ERROR_NO_ASSOCIATION 1155L
#endif

#define SEE_MASK_NOCLOSEPROCESS 0x00000040
#define SEE_MASK_FLAG_DDEWAIT 0x00000100
#define SEE_MASK_FLAG_NO_UI 0x00000400

typedef struct _SHELLEXECUTEINFOW {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCWSTR lpVerb;
    LPCWSTR lpFile;
    LPCWSTR lpParameters;
    LPCWSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    void* lpIDList;
    LPCWSTR lpClass;
    HKEY hkeyClass;
    DWORD dwHotKey;
    HANDLE hIconOrMonitor;
    HANDLE hProcess;
} SHELLEXECUTEINFOW, *LPSHELLEXECUTEINFOW;
static_assert(sizeof(SHELLEXECUTEINFOW) == 112);

// FALSE with ERROR_FILE_NOT_FOUND when no such program is found, ERROR_NO_ASSOCIATION for a verb
// other than "open", ERROR_INVALID_PARAMETER for a wrong cbSize. With SEE_MASK_NOCLOSEPROCESS
// hProcess receives the process handle (the caller closes it).
WINBASEAPI BOOL ShellExecuteExW(SHELLEXECUTEINFOW* pExecInfo);
