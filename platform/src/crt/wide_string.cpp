// lstr* functions. As on Windows, a null string counts as empty for lengths and sorts before
// every other string, and a copy with a null pointer does nothing and gives null.
#include <win/winbase.h>

#include "crt/utf16.h"

namespace {

// Windows orders these by word sort: letters compare first without regard to case, and of two
// strings that differ only in case the one with the lower-case letter comes first. Here the
// characters are compared by their upper-case code units, then by that case rule, which gives the
// same order for the Latin names the package compares and the same equality everywhere.
int CompareStrings(LPCWSTR a, LPCWSTR b, bool ignoreCase) {
    if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
    int caseOrder = 0;
    for (size_t i = 0;; ++i) {
        const WCHAR ca = a[i], cb = b[i];
        const WCHAR ua = palvex::text::Upcase(ca), ub = palvex::text::Upcase(cb);
        if (ua != ub) return ua < ub ? -1 : 1;
        if (ca == 0) break;
        if (caseOrder == 0 && ca != cb) caseOrder = (ca == ua) ? 1 : -1;  // the lower-case one first
    }
    return ignoreCase ? 0 : caseOrder;
}

}  // namespace

int lstrlenW(LPCWSTR lpString) {
    return static_cast<int>(palvex::text::Length(lpString));
}

int lstrcmpW(LPCWSTR lpString1, LPCWSTR lpString2) {
    return CompareStrings(lpString1, lpString2, false);
}

int lstrcmpiW(LPCWSTR lpString1, LPCWSTR lpString2) {
    return CompareStrings(lpString1, lpString2, true);
}

LPWSTR lstrcpyW(LPWSTR lpString1, LPCWSTR lpString2) {
    if (!lpString1 || !lpString2) return nullptr;
    size_t i = 0;
    do {
        lpString1[i] = lpString2[i];
    } while (lpString2[i++]);
    return lpString1;
}

LPWSTR lstrcpynW(LPWSTR lpString1, LPCWSTR lpString2, int iMaxLength) {
    if (!lpString1 || !lpString2) return nullptr;
    if (iMaxLength <= 0) return lpString1;
    int i = 0;
    for (; i < iMaxLength - 1 && lpString2[i]; ++i) lpString1[i] = lpString2[i];
    lpString1[i] = 0;
    return lpString1;
}

LPWSTR lstrcatW(LPWSTR lpString1, LPCWSTR lpString2) {
    if (!lpString1 || !lpString2) return nullptr;
    lstrcpyW(lpString1 + palvex::text::Length(lpString1), lpString2);
    return lpString1;
}
