// Starting a program or document through the shell. The headless machine does not run what it is
// asked to start: every ShellExecuteExW call is recorded (palvex/ui_records.h) and answers as the
// shell would once the user agreed (a "runas" elevation included), unless the test script refuses
// it (palvex/ui_records.h).
#pragma once

#include "winuser.h"

#define SEE_MASK_DEFAULT 0x00000000
#define SEE_MASK_NOCLOSEPROCESS 0x00000040
#define SEE_MASK_FLAG_NO_UI 0x00000400
#define SEE_MASK_NOASYNC 0x00000100
#define ERROR_CANCELLED 1223L

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

// FALSE with ERROR_INVALID_PARAMETER for a missing or wrongly sized record or no file; FALSE with
// ERROR_CANCELLED when the script refused it. hInstApp is 33 on success; hProcess stays null.
WINBASEAPI BOOL ShellExecuteExW(SHELLEXECUTEINFOW* pExecInfo);
