// Bounded string functions: they always terminate the destination and report truncation.
#pragma once

#include <cstdarg>

#include "winbase.h"

#define STRSAFE_MAX_CCH 2147483647
#define STRSAFE_E_INSUFFICIENT_BUFFER (static_cast<HRESULT>(0x8007007AL))
#define STRSAFE_E_INVALID_PARAMETER (static_cast<HRESULT>(0x80070057L))

WINBASEAPI HRESULT StringCchLengthW(LPCWSTR psz, size_t cchMax, size_t* pcchLength);
WINBASEAPI HRESULT StringCchCopyW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc);
WINBASEAPI HRESULT StringCchCopyNW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc, size_t cchToCopy);
WINBASEAPI HRESULT StringCchCatW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc);
// Formats with the rules of _vsnwprintf; a text that does not fit is cut at cchDest - 1 characters,
// terminated, and STRSAFE_E_INSUFFICIENT_BUFFER is returned.
WINBASEAPI HRESULT StringCchVPrintfW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszFormat, va_list argList);
WINBASEAPI HRESULT StringCchPrintfW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszFormat, ...);
