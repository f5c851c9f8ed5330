// Character sets of fonts and the code pages they stand for.
#pragma once

#include "wingdi.h"

#ifndef HANGUL_CHARSET
#define HANGUL_CHARSET 129
#endif
#ifndef JOHAB_CHARSET
#define JOHAB_CHARSET 130
#endif
#ifndef GB2312_CHARSET
#define GB2312_CHARSET 134
#endif
#ifndef CHINESEBIG5_CHARSET
#define CHINESEBIG5_CHARSET 136
#endif
#ifndef GREEK_CHARSET
#define GREEK_CHARSET 161
#endif
#ifndef TURKISH_CHARSET
#define TURKISH_CHARSET 162
#endif
#ifndef VIETNAMESE_CHARSET
#define VIETNAMESE_CHARSET 163
#endif
#ifndef HEBREW_CHARSET
#define HEBREW_CHARSET 177
#endif
#ifndef ARABIC_CHARSET
#define ARABIC_CHARSET 178
#endif
#ifndef BALTIC_CHARSET
#define BALTIC_CHARSET 186
#endif
#ifndef RUSSIAN_CHARSET
#define RUSSIAN_CHARSET 204
#endif
#ifndef THAI_CHARSET
#define THAI_CHARSET 222
#endif
#ifndef EASTEUROPE_CHARSET
#define EASTEUROPE_CHARSET 238
#endif

// What TranslateCharsetInfo's lpSrc holds: a character set or a code page, passed in the
// pointer's value itself (as (DWORD*)(UINT_PTR)value).
#define TCI_SRCCHARSET 1
#define TCI_SRCCODEPAGE 2

struct FONTSIGNATURE {
    DWORD fsUsb[4];  // Unicode subsets
    DWORD fsCsb[2];  // code pages: bit 0 1252, 1 1250, ... 17 932 ... 31 symbol
};
static_assert(sizeof(FONTSIGNATURE) == 24);

struct CHARSETINFO {
    UINT ciCharset;
    UINT ciACP;
    FONTSIGNATURE fs;
};
typedef CHARSETINFO* LPCHARSETINFO;
static_assert(sizeof(CHARSETINFO) == 32 && offsetof(CHARSETINFO, fs) == 8);

// The character set, code page and code-page bit (fs.fsCsb[0]) of a Windows ANSI code page or of
// its font character set; fs.fsUsb and fs.fsCsb[1] are 0. A value it does not know, another
// flag or no CHARSETINFO: FALSE and ERROR_INVALID_PARAMETER.
WINBASEAPI BOOL TranslateCharsetInfo(DWORD* lpSrc, LPCHARSETINFO lpCs, DWORD dwFlags);
