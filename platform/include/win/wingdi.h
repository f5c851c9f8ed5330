// GDI objects of the simulated platform: fonts, bitmaps, the screen device context and text
// measurement.
//
// Fonts are resolved by face name through fontconfig to a font file and measured with FreeType;
// the screen has 96 pixels per inch. Bitmaps hold the device-independent bits they were made from.
#pragma once

#include "winbase.h"
#include "wingdi_devmode.h"

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
#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define PHYSICALWIDTH 110
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112
#define PHYSICALOFFSETY 113
#define SCALINGFACTORX 114
#define SCALINGFACTORY 115
#define DESKTOPVERTRES 117
#define DESKTOPHORZRES 118

// TECHNOLOGY values.
#define DT_RASDISPLAY 1
#define DT_RASPRINTER 2

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
// The advance width of each character from iFirst to iLast of the selected font, rounded to
// logical units, into lpBuffer (iLast - iFirst + 1 entries). FALSE for a context without a font, a
// missing buffer or iLast below iFirst.
WINBASEAPI BOOL GetCharWidth32W(HDC hdc, UINT iFirst, UINT iLast, INT* lpBuffer);

// number * numerator / denominator rounded half away from zero; -1 on overflow or division by 0.
WINBASEAPI int MulDiv(int nNumber, int nNumerator, int nDenominator);

// --- Printer device contexts ---------------------------------------------------------------------
//
// A printer device context prints nothing: it records the documents and sheet sides it is asked
// for, each DEVMODE it is given, the spooled pages played onto each side (with their rectangles
// and the world transform of the moment) and the text drawn, for tests to read and for pictures
// (palvex/recording_dc.h). Its device capabilities follow its current DEVMODE: the paper
// (dmPaperWidth and dmPaperLength when both are set, else dmPaperSize among the printer's papers
// or the machine's forms, else A4), the orientation and the resolution (dmPrintQuality and
// dmYResolution when positive, else 600 dots per inch); the printer cannot print within 1/6 inch
// of each edge. A new DEVMODE takes effect at once; the graphics mode, world transform, text
// attributes and selected font stay as they were.

struct RECT;  // winuser.h

typedef float FLOAT;

struct RECTL {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
typedef RECTL* PRECTL;
typedef RECTL* LPRECTL;
static_assert(sizeof(RECTL) == 16);

typedef SIZE SIZEL;
typedef SIZE* PSIZEL;

// A world transform: x' = x * eM11 + y * eM21 + eDx, y' = x * eM12 + y * eM22 + eDy.
struct XFORM {
    FLOAT eM11;
    FLOAT eM12;
    FLOAT eM21;
    FLOAT eM22;
    FLOAT eDx;
    FLOAT eDy;
};
typedef XFORM* PXFORM;
typedef XFORM* LPXFORM;
static_assert(sizeof(XFORM) == 24);

struct DOCINFOW {
    int cbSize;
    LPCWSTR lpszDocName;
    LPCWSTR lpszOutput;
    LPCWSTR lpszDatatype;
    DWORD fwType;
};
typedef DOCINFOW* LPDOCINFOW;
static_assert(sizeof(DOCINFOW) == 40 && offsetof(DOCINFOW, lpszDocName) == 8 && offsetof(DOCINFOW, fwType) == 32);

#define RGB(r, g, b) \
    (static_cast<COLORREF>(static_cast<BYTE>(r) | (static_cast<WORD>(static_cast<BYTE>(g)) << 8) | \
                           (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define GetRValue(rgb) (static_cast<BYTE>(rgb))
#define GetGValue(rgb) (static_cast<BYTE>(static_cast<WORD>(rgb) >> 8))
#define GetBValue(rgb) (static_cast<BYTE>((rgb) >> 16))
#define CLR_INVALID 0xFFFFFFFF
#define GDI_ERROR 0xFFFFFFFFL

// Graphics modes and world-transform changes.
#define GM_COMPATIBLE 1
#define GM_ADVANCED 2
#define MWT_IDENTITY 1
#define MWT_LEFTMULTIPLY 2
#define MWT_RIGHTMULTIPLY 3

// Background modes.
#define TRANSPARENT 1
#define OPAQUE 2

// ExtTextOutW options.
#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004
#define ETO_GLYPH_INDEX 0x0010
#define ETO_NO_RECT 0x0100

// Text alignment.
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24

// Print-job results of StartDocW, StartPage, EndPage, EndDoc and AbortDoc.
#define SP_ERROR (-1)

// A printer device context for the printer named by pwszDevice (pwszDriver and pszPort are not
// used), with pdm or, without one, the printer's default DEVMODE (or A4 portrait at 600 dots per
// inch when it has none). Unknown printer: null, ERROR_INVALID_PRINTER_NAME.
WINBASEAPI HDC CreateDCW(LPCWSTR pwszDriver, LPCWSTR pwszDevice, LPCWSTR pszPort, const DEVMODEW* pdm);
// Ends a printer device context (a document still open is aborted). Not a device context: FALSE,
// ERROR_INVALID_HANDLE.
WINBASEAPI BOOL DeleteDC(HDC hdc);
// Gives a printer device context a new DEVMODE (a copy of dmSize + dmDriverExtra bytes); returns
// hdc. Null DEVMODE, a dmSize below 72 or a screen context: null, ERROR_INVALID_PARAMETER.
WINBASEAPI HDC ResetDCW(HDC hdc, const DEVMODEW* lpdm);

// A document on a printer device context: StartDocW answers the job id (above 0); a document
// already open, or a side without a document, gives SP_ERROR with ERROR_INVALID_PARAMETER. EndDoc
// ends a side still open first. AbortDoc drops the open side and ends the document as aborted.
WINBASEAPI int StartDocW(HDC hdc, const DOCINFOW* lpdi);
WINBASEAPI int EndDoc(HDC hdc);
WINBASEAPI int AbortDoc(HDC hdc);
// A sheet side; StartPage while a side is open, or EndPage without one, gives SP_ERROR.
WINBASEAPI int StartPage(HDC hdc);
WINBASEAPI int EndPage(HDC hdc);

// GM_COMPATIBLE or GM_ADVANCED; returns the previous mode, 0 on failure. Back to GM_COMPATIBLE
// only with an identity world transform.
WINBASEAPI int SetGraphicsMode(HDC hdc, int iMode);
WINBASEAPI int GetGraphicsMode(HDC hdc);
// The world transform; setting or changing it needs GM_ADVANCED (else FALSE), and a transform
// that cannot be inverted is refused with ERROR_INVALID_PARAMETER.
WINBASEAPI BOOL SetWorldTransform(HDC hdc, const XFORM* lpxf);
WINBASEAPI BOOL GetWorldTransform(HDC hdc, LPXFORM lpxf);
WINBASEAPI BOOL ModifyWorldTransform(HDC hdc, const XFORM* lpxf, DWORD mode);

// Text attributes; each setter returns the previous value (CLR_INVALID, 0 or GDI_ERROR when hdc is
// not a device context).
WINBASEAPI COLORREF SetTextColor(HDC hdc, COLORREF color);
WINBASEAPI COLORREF GetTextColor(HDC hdc);
WINBASEAPI int SetBkMode(HDC hdc, int mode);
WINBASEAPI int GetBkMode(HDC hdc);
WINBASEAPI UINT SetTextAlign(HDC hdc, UINT align);
WINBASEAPI UINT GetTextAlign(HDC hdc);
// Draws c characters at (x, y) in the selected font and the text attributes; ETO_CLIPPED and
// ETO_OPAQUE use lprect. On a printer device context inside a side the text is recorded with its
// font, colour, background mode, alignment, rectangle and the world transform.
WINBASEAPI BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                            const INT* lpDx);
