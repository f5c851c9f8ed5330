// GDI objects of the simulated platform: fonts, bitmaps, the screen device context and text
// measurement.
//
// Fonts are resolved by face name through fontconfig to a font file and measured with FreeType;
// the screen has 96 pixels per inch. Bitmaps hold the device-independent bits they were made from.
#pragma once

#include "winbase.h"

typedef HANDLE HGDIOBJ;
typedef HANDLE HFONT;
typedef HANDLE HBITMAP;

#define LF_FACESIZE 32

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_BOLD 700

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define SHIFTJIS_CHARSET 128

struct LOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[LF_FACESIZE];
};
typedef LOGFONTW* LPLOGFONTW;
static_assert(sizeof(LOGFONTW) == 92 && offsetof(LOGFONTW, lfItalic) == 20 && offsetof(LOGFONTW, lfFaceName) == 28);

struct TEXTMETRICW {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    WCHAR tmFirstChar;
    WCHAR tmLastChar;
    WCHAR tmDefaultChar;
    WCHAR tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
typedef TEXTMETRICW* LPTEXTMETRICW;
static_assert(sizeof(TEXTMETRICW) == 60 && offsetof(TEXTMETRICW, tmFirstChar) == 44 && offsetof(TEXTMETRICW, tmCharSet) == 56);

struct SIZE {
    LONG cx;
    LONG cy;
};
typedef SIZE* LPSIZE;

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};
static_assert(sizeof(BITMAP) == 32 && offsetof(BITMAP, bmBits) == 24);

// The header of a device-independent bitmap (the bytes of a bitmap resource start with it).
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);
#define BI_RGB 0L
#define BI_BITFIELDS 3L

// Object types of GetObjectType.
#define OBJ_FONT 6
#define OBJ_BITMAP 7

// Device capabilities.
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define LOGPIXELSX 88
#define LOGPIXELSY 90

// Stock objects.
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17

// The face and height of the font; a face that fontconfig cannot resolve still makes a font
// (fontconfig's closest match serves it). No LOGFONTW: null, ERROR_INVALID_PARAMETER.
WINBASEAPI HFONT CreateFontIndirectW(const LOGFONTW* lplf);
// Deletes a font or bitmap. Stock objects are never deleted (TRUE, nothing happens). An object
// selected into a device context is not deleted (FALSE). Not a GDI object: FALSE.
WINBASEAPI BOOL DeleteObject(HGDIOBJ ho);
// Fonts: a LOGFONTW (cb at least its size); bitmaps: a BITMAP. With pv null, the size needed.
// Returns the bytes written, 0 on failure.
WINBASEAPI int GetObjectW(HANDLE h, int c, LPVOID pv);
WINBASEAPI DWORD GetObjectType(HGDIOBJ h);
WINBASEAPI HGDIOBJ GetStockObject(int i);

// The screen device context (of any window, or of the screen with a null window). Each GetDC
// gives a new context that ReleaseDC ends; it starts with the system font selected.
WINBASEAPI HDC GetDC(HWND hWnd);
WINBASEAPI int ReleaseDC(HWND hWnd, HDC hDC);
// Selects a font into a context; returns the previous font, null (ERROR_INVALID_HANDLE) when
// either handle is not one.
WINBASEAPI HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
WINBASEAPI int GetDeviceCaps(HDC hdc, int index);
// Metrics of the selected font at the context's resolution: ascent and descent from the font's
// Windows metrics (usWinAscent, usWinDescent), the average width from its OS/2 table or, when it
// has none, the width of 'x'.
WINBASEAPI BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW lptm);
// Width (sum of the glyphs' advances, rounded to pixels) and height (tmHeight) of c characters.
WINBASEAPI BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl);

// number * numerator / denominator rounded half away from zero; -1 on overflow or division by 0.
WINBASEAPI int MulDiv(int nNumber, int nNumerator, int nDenominator);
