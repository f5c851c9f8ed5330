// The registry of the simulated machine: value types, predefined keys and the key and value
// functions. Keys are paths of names compared without regard to case; a name keeps the spelling
// it was created with.
#pragma once

#include "handleapi.h"
#include "winerror.h"
#include "wintypes.h"

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_QWORD 11
#define REG_QWORD_LITTLE_ENDIAN 11

// Predefined keys: always open, never closed.
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(0x80000001))))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(0x80000002))))

// Key access rights.
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ ((STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY) & ~SYNCHRONIZE)
#define KEY_WRITE ((STANDARD_RIGHTS_WRITE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY) & ~SYNCHRONIZE)
#define KEY_EXECUTE (KEY_READ & ~SYNCHRONIZE)
#define KEY_ALL_ACCESS                                                                                              \
    ((STANDARD_RIGHTS_ALL | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS |        \
      KEY_NOTIFY | KEY_CREATE_LINK) &                                                                              \
     ~SYNCHRONIZE)

// Options and dispositions of RegCreateKeyExW.
#define REG_OPTION_NON_VOLATILE 0x00000000
#define REG_OPTION_VOLATILE 0x00000001
#define REG_CREATED_NEW_KEY 0x00000001
#define REG_OPENED_EXISTING_KEY 0x00000002

// Each function returns a Win32 error code. A handle opened without the right a call needs
// gives ERROR_ACCESS_DENIED (values are read with KEY_QUERY_VALUE, written and deleted with
// KEY_SET_VALUE, subkeys created with KEY_CREATE_SUB_KEY; predefined keys have every right).
// A handle to a key that has since been deleted gives ERROR_KEY_DELETED; an unknown handle
// ERROR_INVALID_HANDLE. A subkey path must not begin with a backslash or hold an empty name
// (ERROR_BAD_PATHNAME); a null or empty path means the key itself.

// Opens the subkey, creating it and any missing keys on its path.
WINBASEAPI LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                                   REGSAM samDesired, const LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                                   HKEY* phkResult, LPDWORD lpdwDisposition);
// Opens an existing subkey; ERROR_FILE_NOT_FOUND when there is none.
WINBASEAPI LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, HKEY* phkResult);
WINBASEAPI LSTATUS RegCloseKey(HKEY hKey);
// A null or empty value name is the key's default value. With lpData null and lpcbData given,
// the size is stored and ERROR_SUCCESS returned; a buffer smaller than the value gives
// ERROR_MORE_DATA with *lpcbData the size needed. Unknown value: ERROR_FILE_NOT_FOUND.
WINBASEAPI LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                                    LPDWORD lpcbData);
WINBASEAPI LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                                  DWORD cbData);
WINBASEAPI LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName);
// Deletes a subkey that has no subkeys of its own (else ERROR_ACCESS_DENIED), with its values.
WINBASEAPI LSTATUS RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey);
// The subkey of index dwIndex in the order of their names (folded to upper case): its name into
// lpName (*lpcchName characters with the terminator; the length without it comes back). Needs
// KEY_ENUMERATE_SUB_KEYS. Past the last: ERROR_NO_MORE_ITEMS; a name that does not fit:
// ERROR_MORE_DATA. Class and time are not kept (an empty class, a zero time).
WINBASEAPI LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                                 LPWSTR lpClass, LPDWORD lpcchClass, void* lpftLastWriteTime);

// Change notifications: the event is signalled once at the next change of the key (with a subtree
// watch, of the key or any key below it): a value written or deleted, a subkey created or deleted,
// or a printer added to or deleted from the spooler (whose printers live under
// SYSTEM\CurrentControlSet\Control\Print\Printers). The handle needs KEY_NOTIFY. Only asynchronous
// watches with an event are taken (ERROR_INVALID_PARAMETER otherwise). Changes are seen in the
// process that made them. Closing the key's handle ends its watches.
#define REG_NOTIFY_CHANGE_NAME 0x00000001
#define REG_NOTIFY_CHANGE_ATTRIBUTES 0x00000002
#define REG_NOTIFY_CHANGE_LAST_SET 0x00000004
#define REG_NOTIFY_CHANGE_SECURITY 0x00000008
WINBASEAPI LSTATUS RegNotifyChangeKeyValue(HKEY hKey, BOOL bWatchSubtree, DWORD dwNotifyFilter, HANDLE hEvent,
                                           BOOL fAsynchronous);
