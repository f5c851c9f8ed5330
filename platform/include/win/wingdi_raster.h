// The raster side of GDI: memory device contexts with bitmaps of their own pixels, pens and
// brushes, shapes, block transfers with raster operations, flood fill, the mapping modes and
// clipping. A window's device context draws into the window's picture while the window is drawn
// (palvex/ui_script.h), and nowhere otherwise; a memory device context draws into the bitmap
// selected into it (a new one holds a 1 x 1 monochrome bitmap).
//
// Colour bitmaps hold 32-bit pixels; monochrome bitmaps hold black and white only. A colour
// picture copied onto a monochrome one turns the source context's background colour white and
// every other colour black; a monochrome picture copied onto a colour one turns black into the
// target's text colour and white into its background colour.
#pragma once

#include "wingdi.h"
#include "wingdi_fontdata.h"
#include "winresource.h"
#include "winuser.h"

typedef HANDLE HPEN;
typedef HANDLE HRGN;

#define OBJ_PEN 1
#define OBJ_REGION 8  // not made here; named for GetObjectType's answers

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8

// Pen styles: cosmetic dots are three pixels on and three off.
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_NULL 5

// Raster operations of BitBlt and StretchBlt (D the target, S the source, P the brush).
#define SRCPAINT 0x00EE0086   // D | S
#define SRCAND 0x008800C6     // D & S
#define SRCINVERT 0x00660046  // D ^ S
#define NOTSRCCOPY 0x00330008 // ~S
#define MERGEPAINT 0x00BB0226 // D | ~S
#define PATCOPY 0x00F00021    // P
#define PATINVERT 0x005A0049  // D ^ P
#define DSTINVERT 0x00550009  // ~D
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

// Flood fill kinds.
#define FLOODFILLBORDER 0
#define FLOODFILLSURFACE 1

// Mapping modes beside MM_TEXT and MM_TWIPS (wingdi_fontdata.h).
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8

// Region results of the clipping calls.
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2

#define ETO_RTLREADING 0x0080

// Edges of DrawEdge.
#define BDR_RAISEDOUTER 0x0001
#define BDR_SUNKENOUTER 0x0002
#define BDR_RAISEDINNER 0x0004
#define BDR_SUNKENINNER 0x0008
#define EDGE_RAISED (BDR_RAISEDOUTER | BDR_RAISEDINNER)
#define EDGE_SUNKEN (BDR_SUNKENOUTER | BDR_SUNKENINNER)
#define EDGE_ETCHED (BDR_SUNKENOUTER | BDR_RAISEDINNER)
#define EDGE_BUMP (BDR_RAISEDOUTER | BDR_SUNKENINNER)
#define BF_LEFT 0x0001
#define BF_TOP 0x0002
#define BF_RIGHT 0x0004
#define BF_BOTTOM 0x0008
#define BF_RECT (BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM)
#define BF_ADJUST 0x2000

// System colours of the headless screen (the classic light scheme).
#define COLOR_WINDOW 5
#define COLOR_WINDOWTEXT 8
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_BTNSHADOW 16
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24

#define DT_WORD_ELLIPSIS 0x00040000
#define DT_CALCRECT 0x00000400

// GetCharacterPlacementW: the glyphs of the text in display order.
#define GCP_REORDER 0x0002
#define GCP_GLYPHSHAPE 0x0010
struct GCP_RESULTSW {
    DWORD lStructSize;
    LPWSTR lpOutString;
    UINT* lpOrder;
    int* lpDx;
    int* lpCaretPos;
    LPSTR lpClass;
    LPWSTR lpGlyphs;
    UINT nGlyphs;
    int nMaxFit;
};
static_assert(sizeof(GCP_RESULTSW) == 64 && offsetof(GCP_RESULTSW, lpGlyphs) == 48);

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
#define DIB_RGB_COLORS 0

// The system arrow cursor (LoadCursorW with no module).
#ifndef IDC_ARROW
#define IDC_ARROW MAKEINTRESOURCEW(32512)
#endif
#define OUT_TT_PRECIS 4

WINBASEAPI COLORREF GetSysColor(int nIndex);
// A stock brush of the system colour (never deleted).
WINBASEAPI HBRUSH GetSysColorBrush(int nIndex);

WINBASEAPI HPEN CreatePen(int iStyle, int cWidth, COLORREF color);
// Bitmaps: CreateBitmap makes nWidth x nHeight pixels of 1 or 32 bits (others are taken as 32)
// from lpBits (top row first; one bit a pixel in rows of whole 16-bit words, or four bytes a
// pixel), or black without them; CreateCompatibleBitmap a black one of the context's kind (a
// memory context holding a monochrome bitmap gives a monochrome one).
WINBASEAPI HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits);
WINBASEAPI HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);

WINBASEAPI COLORREF SetBkColor(HDC hdc, COLORREF color);
WINBASEAPI COLORREF GetBkColor(HDC hdc);
WINBASEAPI HGDIOBJ GetCurrentObject(HDC hdc, UINT type);

// Coordinates (SetMapMode also takes MM_ANISOTROPIC): device = (logical - window origin) * viewport extent / window extent + viewport
// origin. MM_TEXT has extents 1; MM_ANISOTROPIC takes the extents set.
WINBASEAPI BOOL SetWindowExtEx(HDC hdc, int x, int y, LPSIZE lpsz);
WINBASEAPI BOOL SetViewportExtEx(HDC hdc, int x, int y, LPSIZE lpsz);
WINBASEAPI BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
WINBASEAPI BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
WINBASEAPI BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c);
WINBASEAPI BOOL DPtoLP(HDC hdc, LPPOINT lppt, int c);

// Clipping: one rectangle in device units (a window context starts clipped to its window).
WINBASEAPI int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
WINBASEAPI int SelectClipRgn(HDC hdc, HRGN hrgn);  // only a null region (no clipping) here
WINBASEAPI int GetClipBox(HDC hdc, LPRECT lprect);
WINBASEAPI int SaveDC(HDC hdc);
WINBASEAPI BOOL RestoreDC(HDC hdc, int nSavedDC);

// Shapes with the selected pen (outline) and brush (inside); the right and bottom edges are
// outside the shape, as lines leave out their last pixel.
WINBASEAPI BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt);
WINBASEAPI BOOL LineTo(HDC hdc, int x, int y);
WINBASEAPI BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
WINBASEAPI BOOL Polygon(HDC hdc, const POINT* apt, int cpt);
// The slice of the ellipse in the rectangle from the ray through (xr1, yr1) counter-clockwise to
// the ray through (xr2, yr2).
WINBASEAPI BOOL Pie(HDC hdc, int left, int top, int right, int bottom, int xr1, int yr1, int xr2, int yr2);
WINBASEAPI BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);
WINBASEAPI int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
WINBASEAPI BOOL DrawFocusRect(HDC hDC, const RECT* lprc);
WINBASEAPI BOOL DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags);

WINBASEAPI COLORREF GetPixel(HDC hdc, int x, int y);
WINBASEAPI COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
// Fills with the selected brush from (x, y): FLOODFILLSURFACE over the 4-connected area of
// colour, FLOODFILLBORDER up to the colour. FALSE when the point is outside the clip or, for a
// surface fill, not of the colour.
WINBASEAPI BOOL ExtFloodFill(HDC hdc, int x, int y, COLORREF color, UINT type);
WINBASEAPI BOOL FloodFill(HDC hdc, int x, int y, COLORREF color);
// Block transfers with a raster operation of the list above (and SRCCOPY); StretchBlt scales by
// the nearest pixel and mirrors with a negative extent.
WINBASEAPI BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);

WINBASEAPI BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c);
// The text's glyphs in display order (right-to-left text reversed with GCP_REORDER); the width
// and height of the text, 0 on failure.
WINBASEAPI DWORD GetCharacterPlacementW(HDC hdc, LPCWSTR lpString, int nCount, int nMexExtent,
                                        GCP_RESULTSW* lpResults, DWORD dwFlags);
