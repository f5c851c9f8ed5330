// The shell's file operation: FO_COPY of files and folders into a folder (what the installer uses).
#pragma once

#include "wintypes.h"

#define FO_MOVE 0x0001
#define FO_COPY 0x0002
#define FO_DELETE 0x0003
#define FO_RENAME 0x0004
#define FOF_SILENT 0x0004
#define FOF_NOCONFIRMATION 0x0010
#define FOF_NOCONFIRMMKDIR 0x0200
#define FOF_NOERRORUI 0x0400

struct SHFILEOPSTRUCTW {
    HWND hwnd;
    UINT wFunc;
    LPCWSTR pFrom;  // one or more paths, each zero-terminated, the list ended by a second zero
    LPCWSTR pTo;
    WORD fFlags;
    BOOL fAnyOperationsAborted;
    LPVOID hNameMappings;
    LPCWSTR lpszProgressTitle;
};

// FO_COPY only: each source (a file, a folder, or "folder\*.*" for a folder's contents) is copied
// into the target folder, which is made when missing; existing files are replaced. 0 on success,
// else an error code (ERROR_FILE_NOT_FOUND for a missing source, ERROR_INVALID_PARAMETER for
// another operation or a list without its terminator within 32768 characters).
WINBASEAPI int SHFileOperationW(SHFILEOPSTRUCTW* lpFileOp);
