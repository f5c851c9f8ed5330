// Conversion between UTF-16 and the code pages of the simulated machine: UTF-8 and the ANSI code
// page of the machine's OS profile (932 Japanese, 1252 Western European).
#pragma once

#include "winerror.h"
#include "wintypes.h"

#ifndef ERROR_INVALID_FLAGS
#define ERROR_INVALID_FLAGS 1004L
#endif
#ifndef ERROR_NO_UNICODE_TRANSLATION
#define ERROR_NO_UNICODE_TRANSLATION 1113L
#endif

#define CP_ACP 0
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080
#define WC_NO_BEST_FIT_CHARS 0x00000400

// The machine's ANSI code page.
WINBASEAPI UINT GetACP(void);

// Code pages: CP_ACP and CP_THREAD_ACP (the machine's ANSI code page), CP_UTF8, 932 and 1252;
// any other: 0 and ERROR_INVALID_PARAMETER.
// A count of -1 takes the source through its NUL, which is converted too; a count of 0 is
// ERROR_INVALID_PARAMETER. A destination size of 0 asks for the size needed; a smaller destination
// than needed gets what fits and the result is 0 with ERROR_INSUFFICIENT_BUFFER.
//
// WideCharToMultiByte: to UTF-8 an unpaired surrogate becomes U+FFFD (with WC_ERR_INVALID_CHARS:
// 0 and ERROR_NO_UNICODE_TRANSLATION); lpDefaultChar and lpUsedDefaultChar must then be NULL.
// To an ANSI code page a character it lacks becomes lpDefaultChar's first byte, or '?', and
// *lpUsedDefaultChar is set; no best-fit substitutes are made.
WINBASEAPI int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                                   LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar,
                                   LPBOOL lpUsedDefaultChar);

// MultiByteToWideChar: a byte sequence the code page does not define becomes U+FFFD from UTF-8,
// U+30FB from 932, and the same code point from 1252; with MB_ERR_INVALID_CHARS it is 0 and
// ERROR_NO_UNICODE_TRANSLATION instead.
WINBASEAPI int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                                   LPWSTR lpWideCharStr, int cchWideChar);
