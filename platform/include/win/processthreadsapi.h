// Processes: the current process's id, other processes of the machine (EnumProcesses, OpenProcess
// in psapi.h) and starting a program as a real child process.
#pragma once

#include "handleapi.h"
#include "winbase.h"

#ifndef ERROR_BAD_EXE_FORMAT
#define ERROR_BAD_EXE_FORMAT 193L
#endif

// Creation flags CreateProcessW accepts (the child never shares a console here).
#define DEBUG_PROCESS 0x00000001
#define CREATE_SUSPENDED 0x00000004
#define DETACHED_PROCESS 0x00000008
#define CREATE_NEW_CONSOLE 0x00000010
#define CREATE_NO_WINDOW 0x08000000

struct STARTUPINFOW {
    DWORD cb;
    LPWSTR lpReserved;
    LPWSTR lpDesktop;
    LPWSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};
typedef STARTUPINFOW* LPSTARTUPINFOW;
static_assert(sizeof(STARTUPINFOW) == 104);

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
typedef PROCESS_INFORMATION* LPPROCESS_INFORMATION;

// The id of this process (its host process id), as EnumProcesses lists it.
WINBASEAPI DWORD GetCurrentProcessId(void);

// Starts a program of the machine as a child process: lpApplicationName is its Windows path (or,
// without it, the first word of lpCommandLine). The program runs on the same machine root and is
// listed by EnumProcesses under that path while it runs. lpCommandLine's words (Windows quoting)
// after the program's name become its arguments. Startup information, environment and current
// folder other than the parent's are not modelled. No program file: FALSE and ERROR_FILE_NOT_FOUND
// (ERROR_PATH_NOT_FOUND for a missing folder); a file that cannot run: ERROR_BAD_EXE_FORMAT.
// On success the process and thread handles are closed with CloseHandle; closing them does not
// end the process.
WINBASEAPI BOOL CreateProcessW(LPCWSTR lpApplicationName, LPWSTR lpCommandLine,
                               LPSECURITY_ATTRIBUTES lpProcessAttributes, LPSECURITY_ATTRIBUTES lpThreadAttributes,
                               BOOL bInheritHandles, DWORD dwCreationFlags, LPVOID lpEnvironment,
                               LPCWSTR lpCurrentDirectory, LPSTARTUPINFOW lpStartupInfo,
                               LPPROCESS_INFORMATION lpProcessInformation);

#ifndef STILL_ACTIVE
#define STILL_ACTIVE 259
#endif
// A started child's exit code (the whole 32-bit code it gave ExitProcess, else its exit status),
// STILL_ACTIVE while it runs. WaitForSingleObject on a process handle waits for its end.
WINBASEAPI BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode);
// Ends this process with the code; the machine keeps the whole code for GetExitCodeProcess.
WINBASEAPI __attribute__((noreturn)) void ExitProcess(UINT uExitCode);
