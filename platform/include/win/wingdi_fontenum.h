// Font-family enumeration of a device context (EnumFontFamiliesExW).
#pragma once

#include "wingdi.h"
#include "wingdi_charset.h"
#include "winuser.h"

#define LF_FULLFACESIZE 64

// FontType of an enumerated font.
#define RASTER_FONTTYPE 0x0001
#define DEVICE_FONTTYPE 0x0002
#define TRUETYPE_FONTTYPE 0x0004

struct ENUMLOGFONTEXW {
    LOGFONTW elfLogFont;
    WCHAR elfFullName[LF_FULLFACESIZE];
    WCHAR elfStyle[LF_FACESIZE];   // e.g. "Regular", "Bold Italic"
    WCHAR elfScript[LF_FACESIZE];  // the character set's script name, e.g. "Western"
};
typedef ENUMLOGFONTEXW* LPENUMLOGFONTEXW;
static_assert(sizeof(ENUMLOGFONTEXW) == 348 && offsetof(ENUMLOGFONTEXW, elfFullName) == 92 &&
              offsetof(ENUMLOGFONTEXW, elfStyle) == 220 && offsetof(ENUMLOGFONTEXW, elfScript) == 284);

struct NEWTEXTMETRICW {
    TEXTMETRICW tm;
    DWORD ntmFlags;
    UINT ntmSizeEM;
    UINT ntmCellHeight;
    UINT ntmAvgWidth;
};
struct NEWTEXTMETRICEXW {
    NEWTEXTMETRICW ntmTm;
    FONTSIGNATURE ntmFontSig;
};
static_assert(sizeof(NEWTEXTMETRICW) == 76 && sizeof(NEWTEXTMETRICEXW) == 100);

// Called once per enumerated font with an ENUMLOGFONTEXW and a NEWTEXTMETRICEXW (passed as their
// first members); a result of 0 ends the enumeration.
typedef int(CALLBACK* FONTENUMPROCW)(const LOGFONTW* lpelfe, const TEXTMETRICW* lpntme, DWORD FontType,
                                     LPARAM lParam);

// Enumerates the installed scalable TrueType fonts (the faces fontconfig knows in TrueType
// files). lpLogfont's lfCharSet DEFAULT_CHARSET takes every character set, another value only
// fonts covering it; an empty lfFaceName gives one call per face and character set (the style
// name of its regular style), a face name gives one call per style and character set of that
// face (compared without regard to case). dwFlags must be 0. Returns the last callback result, 1
// when nothing was enumerated, 0 for a context that is not one or a missing argument
// (ERROR_INVALID_PARAMETER).
WINBASEAPI int EnumFontFamiliesExW(HDC hdc, LPLOGFONTW lpLogfont, FONTENUMPROCW lpProc, LPARAM lParam,
                                   DWORD dwFlags);
