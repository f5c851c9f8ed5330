// Starting a program or document through the shell. Every ShellExecuteExW call is recorded
// (palvex/ui_records.h), and a test script may refuse it as a user would. The verb "open" (or none)
// starts an executable file of the machine as a child process (CreateProcessW): a bare file name
// is looked for in C:\Windows\System32 and C:\Windows, and ".exe" is added when it has no
// extension. "runas" answers as the shell does once the user agreed to the elevation; the
// headless machine has no second integrity level, so nothing is started.
#pragma once

#include "winuser.h"

#define SEE_MASK_DEFAULT 0x00000000
#define SEE_MASK_NOCLOSEPROCESS 0x00000040
#define SEE_MASK_FLAG_NO_UI 0x00000400
#define SEE_MASK_NOASYNC 0x00000100
#define SEE_MASK_FLAG_DDEWAIT SEE_MASK_NOASYNC
#define ERROR_CANCELLED 1223L
#ifndef ERROR_NO_ASSOCIATION
#define ERROR_NO_ASSOCIATION 1155L
#endif

struct SHELLEXECUTEINFOW {
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
    union {
        HANDLE hIcon;
        HANDLE hMonitor;
    };
    HANDLE hProcess;
};
typedef SHELLEXECUTEINFOW* LPSHELLEXECUTEINFOW;
static_assert(sizeof(SHELLEXECUTEINFOW) == 112 && offsetof(SHELLEXECUTEINFOW, lpFile) == 24 &&
              offsetof(SHELLEXECUTEINFOW, nShow) == 48 && offsetof(SHELLEXECUTEINFOW, hProcess) == 104);

// FALSE with ERROR_INVALID_PARAMETER for a missing or wrongly sized record or no file,
// ERROR_CANCELLED when the script refused it, ERROR_FILE_NOT_FOUND when no such program is found,
// ERROR_NO_ASSOCIATION for a verb other than "open" and "runas". hInstApp is 33 on success; with SEE_MASK_NOCLOSEPROCESS hProcess receives the process
// handle (the caller closes it).
WINBASEAPI BOOL ShellExecuteExW(SHELLEXECUTEINFOW* pExecInfo);

// The plain form: recorded like ShellExecuteExW. A URL (a scheme followed by "://") opened with
// "open" or no verb goes to the machine's browser, which takes any address: nothing is started
// and the answer is 42. Otherwise the answer is that of ShellExecuteExW: hInstApp (above 32) on
// success, else an SE_ERR_* value: 2 file not found, 5 refused by the script, 31 no association.
WINBASEAPI HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                                   LPCWSTR lpDirectory, INT nShowCmd);
