// The temporary folder, temporary file names and file copies, over the files of the machine.
#pragma once

#include "winbase.h"

#ifndef ERROR_BUFFER_OVERFLOW
#define ERROR_BUFFER_OVERFLOW 111L
#endif
#ifndef ERROR_DIRECTORY
#define ERROR_DIRECTORY 267L
#endif

// The user's temporary folder, "C:\Users\<user name>\AppData\Local\Temp\" (made when missing).
// Returns the characters copied without the terminator; when nBufferLength is too small, the
// characters needed with the terminator and nothing copied.
WINBASEAPI DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer);
// "<path>\<first three characters of the prefix><hexadecimal number>.TMP" into a buffer of
// MAX_PATH characters. uUnique 0: numbers are tried from one that changes with each call until
// a new file can be made; the empty file is made and its number returned. Another uUnique: that
// number, and no file is made. A folder that does not exist: 0, ERROR_DIRECTORY.
WINBASEAPI UINT GetTempFileNameW(LPCWSTR lpPathName, LPCWSTR lpPrefixString, UINT uUnique, LPWSTR lpTempFileName);
// Copies the file's bytes. bFailIfExists with an existing target: ERROR_FILE_EXISTS; a missing
// source: ERROR_FILE_NOT_FOUND; a target folder that does not exist: ERROR_PATH_NOT_FOUND.
WINBASEAPI BOOL CopyFileW(LPCWSTR lpExistingFileName, LPCWSTR lpNewFileName, BOOL bFailIfExists);
