// Initialization (.ini) files.
//
// A file is read as UTF-16 when it starts with a byte-order mark (FF FE or FE FF), as UTF-8 after
// EF BB BF, and otherwise as ANSI text in the machine's code page (converted as MultiByteToWideChar
// with CP_ACP converts it). A name without a folder ("Pardex.ini") is a file of the Windows
// directory; other paths are taken as LoadLibraryExW takes them. Section and key names compare without regard to case; spaces and tabs around names and
// values are dropped, and a value enclosed in matching single or double quotes loses them. Lines
// starting with ';' are comments. When a section appears twice its entries are read as one section.
#pragma once

#include "winbase.h"

// The value of lpKeyName in section lpAppName, or lpDefault (null: "") without its trailing blanks
// when the file, section or key is missing (last error ERROR_FILE_NOT_FOUND). A value that does not
// fit is cut to nSize - 1 characters and nSize - 1 is returned.
// lpAppName null: the names of all sections, lpKeyName null: the key names of the section, each
// followed by a NUL and the list by one more; a list that does not fit is cut, ends in two NULs and
// nSize - 2 is returned. Returns the characters copied, not counting the final terminator.
WINBASEAPI DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                                          LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName);

// The value read as an integer: optional sign, decimal digits or "0x" and hex digits, up to the first
// other character ("55zz" is 55, "zz" is 0); a negative value comes back as its two's complement.
// nDefault when the key is missing or its value is empty.
WINBASEAPI UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName);

// Sets lpKeyName of section lpAppName to lpString (the section is added at the end, the key at the
// end of its section, when missing); lpString null deletes the key, lpKeyName null the whole
// section. The file keeps its encoding (UTF-16 with its byte-order mark, else the ANSI code page)
// and gets CR LF line ends; a missing file is made. FALSE with the last error when it cannot be
// written (a read-only file: ERROR_ACCESS_DENIED).
WINBASEAPI BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName);
