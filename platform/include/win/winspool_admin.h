// Deleting printers and drivers, and the user's default printer. While the print spooler service
// is stopped these calls fail with RPC_S_SERVER_UNAVAILABLE.
#pragma once

#include "wintypes.h"

#define DPD_DELETE_UNUSED_FILES 0x00000001
#define DPD_DELETE_SPECIFIC_VERSION 0x00000002
#define DPD_DELETE_ALL_FILES 0x00000004

#ifndef ERROR_PRINTER_DRIVER_IN_USE
#define ERROR_PRINTER_DRIVER_IN_USE 3001L
#endif
#ifndef ERROR_PRINTER_HAS_JOBS_QUEUED
#define ERROR_PRINTER_HAS_JOBS_QUEUED 3009L
#endif

// Deletes the printer of a handle opened with DELETE (PRINTER_ALL_ACCESS has it), with its data.
// A printer that holds jobs: ERROR_PRINTER_HAS_JOBS_QUEUED.
WINBASEAPI BOOL DeletePrinter(HANDLE hPrinter);
// Deletes the driver of that name for the environment (null: the native one). A printer that
// uses it, or a driver whose files the spooler still holds loaded (until the spooler restarts):
// ERROR_PRINTER_DRIVER_IN_USE; none of that name: ERROR_UNKNOWN_PRINTER_DRIVER. With
// DPD_DELETE_UNUSED_FILES or DPD_DELETE_ALL_FILES the driver's files that no other driver lists
// are deleted from the driver folder.
WINBASEAPI BOOL DeletePrinterDriverExW(LPWSTR pName, LPWSTR pEnvironment, LPWSTR pDriverName, DWORD dwDeleteFlag,
                                       DWORD dwVersionFlag);
// The user's default printer (HKCU "Software\Microsoft\Windows NT\CurrentVersion\Windows" Device).
// Too small a buffer: ERROR_INSUFFICIENT_BUFFER with *pcchBuffer the characters needed; no default:
// ERROR_FILE_NOT_FOUND.
WINBASEAPI BOOL GetDefaultPrinterW(LPWSTR pszBuffer, LPDWORD pcchBuffer);
// An unknown printer: ERROR_INVALID_PRINTER_NAME.
WINBASEAPI BOOL SetDefaultPrinterW(LPCWSTR pszPrinter);
