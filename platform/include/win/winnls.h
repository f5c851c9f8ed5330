// National-language support: the lead bytes of the double-byte code pages.
#pragma once

#include "stringapiset.h"

// Whether the byte begins a two-byte character in the code page: the machine's code pages
// (CP_ACP, CP_THREAD_ACP), 932 (lead bytes 0x81 to 0x9F and 0xE0 to 0xFC), 1252 and CP_UTF8 (no
// lead bytes). Any other code page: FALSE and ERROR_INVALID_PARAMETER.
WINBASEAPI BOOL IsDBCSLeadByteEx(UINT CodePage, BYTE TestChar);

#ifndef LOCALE_USER_DEFAULT
#define LOCALE_USER_DEFAULT (static_cast<LCID>(0x0400))
#endif
#ifndef LOCALE_SYSTEM_DEFAULT
#define LOCALE_SYSTEM_DEFAULT (static_cast<LCID>(0x0800))
#endif

// Character-type queries (GetStringTypeExW).
#define CT_CTYPE1 0x0001
#define CT_CTYPE2 0x0002
#define CT_CTYPE3 0x0004

#define C3_NONSPACING 0x0001
#define C3_DIACRITIC 0x0002
#define C3_VOWELMARK 0x0004
#define C3_SYMBOL 0x0008
#define C3_KATAKANA 0x0010
#define C3_HIRAGANA 0x0020
#define C3_HALFWIDTH 0x0040
#define C3_FULLWIDTH 0x0080
#define C3_IDEOGRAPH 0x0100
#define C3_KASHIDA 0x0200
#define C3_LEXICAL 0x0400
#define C3_ALPHA 0x8000
#define C3_NOTAPPLICABLE 0x0000

// The CT_CTYPE3 word of each character (the locale is not consulted: the table is the same for
// every locale). The table knows printable ASCII (half-width; letters alpha, punctuation symbol,
// digits neither), the half-width katakana block U+FF61-U+FF9F, the full-width forms
// U+FF01-U+FF5E, hiragana, katakana and the unified ideographs; every other character answers
// C3_NOTAPPLICABLE, where the platform would know more. cchSrc -1 takes the string through its
// NUL (which answers 0). Other info types, a missing string or output, or a count of 0: FALSE
// with ERROR_INVALID_PARAMETER (CT_CTYPE1 and CT_CTYPE2: ERROR_INVALID_FLAGS).
WINBASEAPI BOOL GetStringTypeExW(LCID Locale, DWORD dwInfoType, LPCWSTR lpSrcStr, int cchSrc, LPWORD lpCharType);
