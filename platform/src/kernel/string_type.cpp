// GetStringTypeExW, CT_CTYPE3 only: the width and script class of each character from a small
// table of the ranges the machine's programs test (win/winnls.h).
#include <win/winbase.h>
#include <win/winnls.h>

namespace {

WORD AsciiType(WCHAR c) {
    if (c < 0x20 || c == 0x7F) return C3_NOTAPPLICABLE;
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) return C3_HALFWIDTH | C3_ALPHA;
    if (c >= u'0' && c <= u'9') return C3_HALFWIDTH;
    return C3_HALFWIDTH | C3_SYMBOL;
}

WORD Ctype3(WCHAR c) {
    if (c < 0x80) return AsciiType(c);
    if (c >= 0xFF61 && c <= 0xFF65) return C3_HALFWIDTH | C3_SYMBOL;                  // half-width punctuation
    if (c >= 0xFF66 && c <= 0xFF9D) return C3_KATAKANA | C3_HALFWIDTH | C3_ALPHA;     // half-width katakana
    if (c == 0xFF9E || c == 0xFF9F) return C3_KATAKANA | C3_HALFWIDTH | C3_DIACRITIC; // (semi-)voiced marks
    if (c >= 0xFF01 && c <= 0xFF5E) {
        // Full-width forms of ASCII 0x21-0x7E: the same class, full width.
        const WORD ascii = AsciiType(static_cast<WCHAR>(c - 0xFF01 + 0x21));
        return static_cast<WORD>((ascii & ~C3_HALFWIDTH) | C3_FULLWIDTH);
    }
    if (c >= 0x3000 && c <= 0x303F) return C3_FULLWIDTH | C3_SYMBOL;
    if (c >= 0x3041 && c <= 0x309F) return C3_HIRAGANA | C3_FULLWIDTH | C3_ALPHA;
    if (c >= 0x30A0 && c <= 0x30FF) return C3_KATAKANA | C3_FULLWIDTH | C3_ALPHA;
    if (c >= 0x4E00 && c <= 0x9FFF) return C3_IDEOGRAPH | C3_FULLWIDTH | C3_ALPHA;
    return C3_NOTAPPLICABLE;
}

}  // namespace

BOOL GetStringTypeExW(LCID, DWORD dwInfoType, LPCWSTR lpSrcStr, int cchSrc, LPWORD lpCharType) {
    if (dwInfoType == CT_CTYPE1 || dwInfoType == CT_CTYPE2) {
        SetLastError(ERROR_INVALID_FLAGS);
        return FALSE;
    }
    if (dwInfoType != CT_CTYPE3 || !lpSrcStr || !lpCharType || cchSrc == 0 || cchSrc < -1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int count = cchSrc;
    if (count == -1) {
        count = 0;
        while (lpSrcStr[count]) ++count;
        ++count;  // the NUL too
    }
    for (int i = 0; i < count; ++i) lpCharType[i] = Ctype3(lpSrcStr[i]);
    return TRUE;
}
