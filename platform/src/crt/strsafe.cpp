// Bounded wide-string functions. Every function that writes leaves the destination terminated
// (when it has room for anything at all) and reports a cut text as STRSAFE_E_INSUFFICIENT_BUFFER.
// A null source counts as an empty string.
#include <win/strsafe.h>

#include "crt/wide_format.h"

namespace {

bool ValidCount(size_t cch) {
    return cch > 0 && cch <= STRSAFE_MAX_CCH;
}

// Copies at most cchToCopy characters of source behind the first `used` characters of dest.
HRESULT CopyInto(LPWSTR dest, size_t cchDest, size_t used, LPCWSTR source, size_t cchToCopy) {
    size_t i = 0;
    while (used + i < cchDest - 1 && i < cchToCopy && source && source[i]) {
        dest[used + i] = source[i];
        ++i;
    }
    dest[used + i] = 0;
    const bool cut = i < cchToCopy && source && source[i];
    return cut ? STRSAFE_E_INSUFFICIENT_BUFFER : S_OK;
}

}  // namespace

HRESULT StringCchLengthW(LPCWSTR psz, size_t cchMax, size_t* pcchLength) {
    size_t length = 0;
    HRESULT hr = S_OK;
    if (!psz || cchMax > STRSAFE_MAX_CCH) {
        hr = STRSAFE_E_INVALID_PARAMETER;
    } else {
        while (length < cchMax && psz[length]) ++length;
        if (length == cchMax) hr = STRSAFE_E_INVALID_PARAMETER;  // no terminator within cchMax
    }
    if (pcchLength) *pcchLength = SUCCEEDED(hr) ? length : 0;
    return hr;
}

HRESULT StringCchCopyW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc) {
    if (!pszDest || !ValidCount(cchDest)) return STRSAFE_E_INVALID_PARAMETER;
    return CopyInto(pszDest, cchDest, 0, pszSrc, SIZE_MAX);
}

HRESULT StringCchCopyNW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc, size_t cchToCopy) {
    if (!pszDest || !ValidCount(cchDest)) return STRSAFE_E_INVALID_PARAMETER;
    if (cchToCopy > STRSAFE_MAX_CCH) {
        pszDest[0] = 0;
        return STRSAFE_E_INVALID_PARAMETER;
    }
    return CopyInto(pszDest, cchDest, 0, pszSrc, cchToCopy);
}

HRESULT StringCchCatW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszSrc) {
    if (!pszDest || !ValidCount(cchDest)) return STRSAFE_E_INVALID_PARAMETER;
    size_t used = 0;
    while (used < cchDest && pszDest[used]) ++used;
    if (used == cchDest) return STRSAFE_E_INVALID_PARAMETER;  // the destination is not terminated
    return CopyInto(pszDest, cchDest, used, pszSrc, SIZE_MAX);
}

HRESULT StringCchVPrintfW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszFormat, va_list argList) {
    if (!pszDest || !ValidCount(cchDest)) return STRSAFE_E_INVALID_PARAMETER;
    const auto length = palvex::text::FormatWide(pszDest, cchDest - 1, pszFormat, argList);
    if (!length) {
        pszDest[0] = 0;
        return STRSAFE_E_INVALID_PARAMETER;
    }
    if (*length > cchDest - 1) {
        pszDest[cchDest - 1] = 0;
        return STRSAFE_E_INSUFFICIENT_BUFFER;
    }
    pszDest[*length] = 0;
    return S_OK;
}

HRESULT StringCchPrintfW(LPWSTR pszDest, size_t cchDest, LPCWSTR pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    const HRESULT hr = StringCchVPrintfW(pszDest, cchDest, pszFormat, args);
    va_end(args);
    return hr;
}
