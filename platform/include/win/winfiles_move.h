// Deleting and renaming files of the machine, with the sharing rules of fileapi.h.
//
// A file can be deleted, renamed or replaced only when every handle open on it (of this process,
// or held by another program of the machine, palvex/files.h) shares FILE_SHARE_DELETE. Each check
// counts as one refused open for a holder that lets the file go after some refusals.
#pragma once

#include "winbase.h"

#ifndef ERROR_NOT_SAME_DEVICE
#define ERROR_NOT_SAME_DEVICE 17L
#endif
#ifndef ERROR_DISK_FULL
#define ERROR_DISK_FULL 112L
#endif

#define MOVEFILE_REPLACE_EXISTING 0x00000001
#define MOVEFILE_DELAY_UNTIL_REBOOT 0x00000004
#define MOVEFILE_WRITE_THROUGH 0x00000008

// Deletes a file. A missing file: ERROR_FILE_NOT_FOUND (ERROR_PATH_NOT_FOUND when its folder is
// missing); a folder: ERROR_ACCESS_DENIED; a file open without FILE_SHARE_DELETE:
// ERROR_SHARING_VIOLATION.
WINBASEAPI BOOL DeleteFileW(LPCWSTR lpFileName);

// Renames a file or folder, within one drive or across drives of the machine. dwFlags:
// MOVEFILE_REPLACE_EXISTING lets a file take the place of an existing file (atomically: a reader
// sees the old file or the new one, never a mix); MOVEFILE_WRITE_THROUGH returns only when the
// file's bytes and the new name are on disk; other flags: ERROR_INVALID_PARAMETER. The moved file
// keeps its bytes and last-write time; the machine keeps the creation time it knew under the new
// name, as Windows does for a name reused at once.
// Failures: a missing source ERROR_FILE_NOT_FOUND (ERROR_PATH_NOT_FOUND for a missing folder); an
// existing target without MOVEFILE_REPLACE_EXISTING ERROR_ALREADY_EXISTS; a target that is a
// folder, or a target open without FILE_SHARE_DELETE, ERROR_ACCESS_DENIED; a source open without
// FILE_SHARE_DELETE ERROR_SHARING_VIOLATION; a target folder that does not exist
// ERROR_PATH_NOT_FOUND.
// MOVEFILE_DELAY_UNTIL_REBOOT (with a null target: delete) moves nothing now: the machine appends
// the operation to <machine root>/kernel/pending_file_operations.txt ("source TAB target" in
// UTF-8, one a line) for its next start.
WINBASEAPI BOOL MoveFileExW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, DWORD dwFlags);
