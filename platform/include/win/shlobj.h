// Special folders of the shell. The machine's user profile lies in C:\Users\<user name of the OS
// profile>.
#pragma once

#include "wintypes.h"

#define CSIDL_PERSONAL 0x0005
#define CSIDL_APPDATA 0x001A
#define CSIDL_WINDOWS 0x0024
#define CSIDL_SYSTEM 0x0025
#define CSIDL_PROGRAM_FILES 0x0026
#define CSIDL_FLAG_CREATE 0x8000
#define SHGFP_TYPE_CURRENT 0

// The folder into pszPath (MAX_PATH characters), without a trailing backslash; S_OK, or E_INVALIDARG
// for a folder id it does not know. CSIDL_FLAG_CREATE makes the folder when it is missing.
WINBASEAPI HRESULT SHGetFolderPathW(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags, LPWSTR pszPath);

// The folder of a CSIDL into pszPath (MAX_PATH characters), made first when fCreate is TRUE;
// FALSE for a folder id SHGetFolderPathW does not know.
WINBASEAPI BOOL SHGetSpecialFolderPathW(HWND hwnd, LPWSTR pszPath, int csidl, BOOL fCreate);
