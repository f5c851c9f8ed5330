// Resources of PE modules: libraries loaded as data files, resource lookup by type, name and
// language, and string tables.
#pragma once

#include "winbase.h"

typedef HANDLE HRSRC;

// Language ids: a primary language in the low ten bits, a sublanguage above it.
#define MAKELANGID(primary, sub) (static_cast<WORD>((static_cast<WORD>(sub) << 10) | static_cast<WORD>(primary)))
#define PRIMARYLANGID(lgid) (static_cast<WORD>(lgid) & 0x3FF)
#define SUBLANGID(lgid) (static_cast<WORD>(lgid) >> 10)
#define LANG_NEUTRAL 0x00
#define LANG_ENGLISH 0x09
#define LANG_JAPANESE 0x11
#define SUBLANG_NEUTRAL 0x00
#define SUBLANG_DEFAULT 0x01
#define SUBLANG_ENGLISH_US 0x01
#define SUBLANG_JAPANESE_JAPAN 0x01

// Resource types and names are integer ids (MAKEINTRESOURCEW) or NUL-terminated strings; a
// string "#123" stands for the id 123. String names compare without regard to case.
#define IS_INTRESOURCE(r) ((reinterpret_cast<ULONG_PTR>(r) >> 16) == 0)
#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCEW(12)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)
#define RT_VERSION MAKEINTRESOURCEW(16)
#define RT_MANIFEST MAKEINTRESOURCEW(24)

// The system's icons, loaded with LoadIconW without a module (only the warning icon is drawn here).
#define IDI_HAND MAKEINTRESOURCEW(32513)
#define IDI_QUESTION MAKEINTRESOURCEW(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCEW(32515)
#define IDI_ASTERISK MAKEINTRESOURCEW(32516)
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_ERROR IDI_HAND
#define IDI_INFORMATION IDI_ASTERISK

// Loading a library only for its resources. The file is read whole and checked (headers, section
// table, the whole resource tree) before a handle is given: a missing file gives ERROR_MOD_NOT_FOUND,
// a malformed one ERROR_BAD_EXE_FORMAT. hFile must be null. Flags without one of the data-file
// flags ask for code loading, which this loader does not do (ERROR_NOT_SUPPORTED).
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002
#define LOAD_LIBRARY_AS_IMAGE_RESOURCE 0x00000020
#define LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE 0x00000040
// Paths: "C:\..." names a file of the simulated machine (found without regard to case), "/..." a
// host file; other paths are relative to the current directory.
WINBASEAPI HMODULE LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
WINBASEAPI BOOL FreeLibrary(HMODULE hLibModule);
// Code libraries: only the platform's own modules that a program loads by name on first use are
// known here (the HTML Help control "hhctrl.ocx", the theme library "UXTHEME.DLL"); any other name
// gives ERROR_MOD_NOT_FOUND. A built-in module's code stays in the process; its loads are counted
// (libloaderapi.h). GetProcAddress finds their exports by name (ERROR_PROC_NOT_FOUND otherwise).
typedef INT_PTR (*FARPROC)();
WINBASEAPI HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
WINBASEAPI FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);

// Finds a resource. With a language other than neutral only that language matches
// (ERROR_RESOURCE_LANG_NOT_FOUND otherwise). With the neutral language (and in FindResourceW) the
// languages tried are: neutral, the user's UI language, its primary language with the neutral
// sublanguage, the system's UI language and its primary language, English (US), then the first
// language the resource has. A module without resources: ERROR_RESOURCE_DATA_NOT_FOUND; unknown
// type: ERROR_RESOURCE_TYPE_NOT_FOUND; unknown name: ERROR_RESOURCE_NAME_NOT_FOUND.
WINBASEAPI HRSRC FindResourceExW(HMODULE hModule, LPCWSTR lpType, LPCWSTR lpName, WORD wLanguage);
WINBASEAPI HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
// The resource's bytes stay valid until the module is freed.
WINBASEAPI HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
WINBASEAPI LPVOID LockResource(HGLOBAL hResData);
WINBASEAPI DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);

// String uID of the module's string tables (block uID / 16 + 1, entry uID % 16, found as
// FindResourceW does). Copies at most cchBufferMax - 1 characters and a terminator and returns the
// characters copied; 0 when the string is missing or empty. With cchBufferMax 0, lpBuffer is taken as
// a LPWSTR* and receives a read-only pointer to the string in the resource (not terminated), and
// the string's length is returned.
WINBASEAPI int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);
