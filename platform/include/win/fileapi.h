// Files of the simulated machine and the system's folders.
//
// Paths are taken as LoadLibraryExW takes them: "C:\..." names a file of the machine (each part
// found without regard to case), "/..." a host file, anything else is relative to the current
// directory. A file handle is a kernel handle: CloseHandle closes it.
//
// Sharing follows Windows: an open is refused with ERROR_SHARING_VIOLATION when it asks for an
// access that an open handle of the file does not share, or when it does not share an access that
// an open handle has. Handles of this process and files held by another program of the machine
// (palvex/files.h) both count.
//
// Times: the last-write time is the file system's, set from the machine clock whenever a handle
// writes or empties the file; the creation time is kept by the machine for each file,
// set when CreateFileW makes the file, else fixed when it is first asked for (to the last-write
// time of that moment).
#pragma once

#include "handleapi.h"
#include "winbase.h"

#define FILE_SHARE_READ 0x00000001
#define FILE_SHARE_WRITE 0x00000002
#define FILE_SHARE_DELETE 0x00000004

#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5

#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define INVALID_FILE_SIZE 0xFFFFFFFFu
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu

// Overlapped (asynchronous) input and output is not supported: the pointer must be null.
struct OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;
typedef FILETIME* LPFILETIME;
typedef const FILETIME* LPCFILETIME;

// Opens or makes a file. dwDesiredAccess: GENERIC_READ and/or GENERIC_WRITE (0 opens for the
// file's attributes and times only). dwCreationDisposition: CREATE_NEW (ERROR_FILE_EXISTS when it
// exists), CREATE_ALWAYS (an existing file is emptied and keeps its creation time; the last error
// is then ERROR_ALREADY_EXISTS), OPEN_EXISTING, OPEN_ALWAYS (ERROR_ALREADY_EXISTS when it
// existed), TRUNCATE_EXISTING (needs GENERIC_WRITE). Flags and attributes other than these are
// accepted and not used; hTemplateFile must be null. A missing file gives ERROR_FILE_NOT_FOUND, a
// missing folder ERROR_PATH_NOT_FOUND, a folder ERROR_ACCESS_DENIED. On failure
// INVALID_HANDLE_VALUE.
WINBASEAPI HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                              LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                              DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
// Reads at the file pointer; at the end of the file TRUE with 0 bytes read. Needs GENERIC_READ
// (ERROR_ACCESS_DENIED).
WINBASEAPI BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                         LPOVERLAPPED lpOverlapped);
// Writes at the file pointer. Needs GENERIC_WRITE (ERROR_ACCESS_DENIED).
WINBASEAPI BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                          LPOVERLAPPED lpOverlapped);
// The low 32 bits of the size; the high ones into *lpFileSizeHigh when given. Failure:
// INVALID_FILE_SIZE with a last error other than NO_ERROR.
WINBASEAPI DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh);
// Moves the file pointer (a 64-bit distance when lpDistanceToMoveHigh is given) and returns its
// new low 32 bits. A position before the start: ERROR_NEGATIVE_SEEK.
WINBASEAPI DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod);
// Creation, last-access and last-write times (each pointer may be null).
WINBASEAPI BOOL GetFileTime(HANDLE hFile, LPFILETIME lpCreationTime, LPFILETIME lpLastAccessTime,
                            LPFILETIME lpLastWriteTime);
// FILE_ATTRIBUTE_DIRECTORY for a folder, else FILE_ATTRIBUTE_NORMAL (or FILE_ATTRIBUTE_READONLY
// for a file nobody may write). Missing: INVALID_FILE_ATTRIBUTES with ERROR_FILE_NOT_FOUND or
// ERROR_PATH_NOT_FOUND.
WINBASEAPI DWORD GetFileAttributesW(LPCWSTR lpFileName);

// The system folder "C:\Windows\System32" and the Windows folder "C:\Windows" of the machine
// (folders of its root). Returns the characters copied without the terminator, or, when uSize is
// too small, the size needed with the terminator.
WINBASEAPI UINT GetSystemDirectoryW(LPWSTR lpBuffer, UINT uSize);
WINBASEAPI UINT GetWindowsDirectoryW(LPWSTR lpBuffer, UINT uSize);

// Folders and attributes. CreateDirectoryW makes one folder (its parent must exist:
// ERROR_PATH_NOT_FOUND; an existing one: ERROR_ALREADY_EXISTS). RemoveDirectoryW removes an empty
// folder (ERROR_DIR_NOT_EMPTY otherwise). SetFileAttributesW knows FILE_ATTRIBUTE_READONLY (the
// file's write permission) and takes FILE_ATTRIBUTE_NORMAL to clear it.
WINBASEAPI BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
WINBASEAPI BOOL RemoveDirectoryW(LPCWSTR lpPathName);
WINBASEAPI BOOL SetFileAttributesW(LPCWSTR lpFileName, DWORD dwFileAttributes);

// Searching a folder: the pattern's last part may hold "*" and "?" (compared without regard to
// case; "*.*" matches every name). The folder's "." and ".." come first, as on an NTFS volume.
struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAW* LPWIN32_FIND_DATAW;
static_assert(sizeof(WIN32_FIND_DATAW) == 592 && offsetof(WIN32_FIND_DATAW, cFileName) == 44);
#define ERROR_DIR_NOT_EMPTY 145L
#define ERROR_GEN_FAILURE 31L
WINBASEAPI HANDLE FindFirstFileW(LPCWSTR lpFileName, LPWIN32_FIND_DATAW lpFindFileData);
WINBASEAPI BOOL FindNextFileW(HANDLE hFindFile, LPWIN32_FIND_DATAW lpFindFileData);
WINBASEAPI BOOL FindClose(HANDLE hFindFile);
