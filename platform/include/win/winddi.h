// The graphics engine's device-driver interface (DDI) as a printer driver and its plug-ins see it:
// the engine's objects as plain structures, the driver's enable data and function indexes, the
// signatures of the drawing calls a driver may hook, and the engine's own drawing calls (Eng*).
//
// The objects are handed between the engine, the universal driver and its plug-in within one
// process; their layouts follow Windows x64 so that a plug-in reads them as it would there.
#pragma once

#include "wingdi.h"
#include "wingdi_devmode.h"

typedef ULONG FLONG;
typedef ULONG MIX;
typedef ULONG ROP4;
typedef ULONG HGLYPH;
typedef LONG FIX;  // 28.4 fixed point
typedef float FLOATL;
typedef USHORT COLOR16;

typedef HANDLE HSURF;
typedef HANDLE DHSURF;
typedef HANDLE DHPDEV;
typedef HANDLE HDEV;
typedef HANDLE HPALETTE;

// A driver function as the enable data carries it; the caller casts it to the function's type.
typedef LONG_PTR(APIENTRY* PFN)();

struct POINTFIX {
    FIX x;
    FIX y;
};
typedef POINTFIX* PPOINTFIX;

// A drawing surface. dhpdev is the driver's PDEV of the surface; for a bitmap surface pvBits holds
// cjBits bytes of sizlBitmap.cy rows, lDelta bytes apart from pvScan0.
struct SURFOBJ {
    DHSURF dhsurf;
    HSURF hsurf;
    DHPDEV dhpdev;
    HDEV hdev;
    SIZEL sizlBitmap;
    ULONG cjBits;
    PVOID pvBits;
    PVOID pvScan0;
    LONG lDelta;
    ULONG iUniq;
    ULONG iBitmapFormat;  // BMF_*
    USHORT iType;         // STYPE_*
    USHORT fjBitmap;
};
static_assert(sizeof(SURFOBJ) == 80 && offsetof(SURFOBJ, sizlBitmap) == 32 && offsetof(SURFOBJ, pvBits) == 48 &&
              offsetof(SURFOBJ, iBitmapFormat) == 72 && offsetof(SURFOBJ, iType) == 76);

#define STYPE_BITMAP 0
#define STYPE_DEVICE 1
#define STYPE_DEVBITMAP 3

#define BMF_1BPP 1
#define BMF_4BPP 2
#define BMF_8BPP 3
#define BMF_16BPP 4
#define BMF_24BPP 5
#define BMF_32BPP 6

// A brush. iSolidColor is the colour of a solid brush, 0xFFFFFFFF for a pattern brush.
struct BRUSHOBJ {
    ULONG iSolidColor;
    PVOID pvRbrush;
    FLONG flColorType;
};
static_assert(sizeof(BRUSHOBJ) == 24 && offsetof(BRUSHOBJ, flColorType) == 16);

#define BR_DEVICE_ICM 0x01
#define BR_HOST_ICM 0x02
#define BR_CMYKCOLOR 0x04
#define BR_ORIGCOLOR 0x08

struct GLYPHOBJ;
struct GLYPHPOS {
    HGLYPH hg;
    GLYPHOBJ* pgdf;
    POINTL ptl;
};
static_assert(sizeof(GLYPHPOS) == 24);

// A string of glyphs: its characters (pwszOrg), their positions and the string's background box.
struct STROBJ {
    ULONG cGlyphs;
    FLONG flAccel;
    ULONG ulCharInc;
    RECTL rclBkGround;
    GLYPHPOS* pgp;
    LPWSTR pwszOrg;
};
static_assert(sizeof(STROBJ) == 48 && offsetof(STROBJ, rclBkGround) == 12 && offsetof(STROBJ, pgp) == 32);

struct FONTOBJ {
    ULONG iUniq;
    ULONG iFace;
    ULONG cxMax;
    FLONG flFontType;
    ULONG_PTR iTTUniq;
    ULONG_PTR iFile;
    SIZE sizLogResPpi;
    ULONG ulStyleSize;
    PVOID pvConsumer;
    PVOID pvProducer;
};
static_assert(sizeof(FONTOBJ) == 64 && offsetof(FONTOBJ, iTTUniq) == 16 && offsetof(FONTOBJ, pvConsumer) == 48);

// The clip region of a call: its bounds and how complex it is (DC_*).
struct CLIPOBJ {
    ULONG iUniq;
    RECTL rclBounds;
    BYTE iDComplexity;
    BYTE iFComplexity;
    BYTE iMode;
    BYTE fjOptions;
};
static_assert(sizeof(CLIPOBJ) == 24);

#define DC_TRIVIAL 0
#define DC_RECT 1
#define DC_COMPLEX 3

// A colour translation from a source surface's colours to the target's.
struct XLATEOBJ {
    ULONG iUniq;
    FLONG flXlate;  // XO_*
    USHORT iSrcType;
    USHORT iDstType;
    ULONG cEntries;
    ULONG* pulXlate;
};
static_assert(sizeof(XLATEOBJ) == 24 && offsetof(XLATEOBJ, pulXlate) == 16);

#define XO_TRIVIAL 0x00000001
#define XO_TABLE 0x00000002

struct PATHOBJ {
    FLONG fl;
    ULONG cCurves;
};

struct XFORMOBJ {
    ULONG ulReserved;
};

union FLOAT_LONG {
    FLOATL e;
    LONG l;
};

// Line attributes of a stroke; elWidth is a LONG for cosmetic lines (LA_GEOMETRIC clear).
struct LINEATTRS {
    FLONG fl;
    ULONG iJoin;
    ULONG iEndCap;
    FLOAT_LONG elWidth;
    FLOATL eMiterLimit;
    ULONG cstyle;
    FLOAT_LONG* pstyle;
    FLOAT_LONG elStyleState;
};
static_assert(sizeof(LINEATTRS) == 40 && offsetof(LINEATTRS, elWidth) == 12 && offsetof(LINEATTRS, pstyle) == 24);

#define LA_GEOMETRIC 0x00000001

struct BLENDFUNCTION {
    BYTE BlendOp;
    BYTE BlendFlags;
    BYTE SourceConstantAlpha;
    BYTE AlphaFormat;
};
struct BLENDOBJ {
    BLENDFUNCTION BlendFunction;
};

struct TRIVERTEX {
    LONG x;
    LONG y;
    COLOR16 Red;
    COLOR16 Green;
    COLOR16 Blue;
    COLOR16 Alpha;
};
static_assert(sizeof(TRIVERTEX) == 16);

// How a halftoned blit adjusts colours.
struct COLORADJUSTMENT {
    WORD caSize;
    WORD caFlags;
    WORD caIlluminantIndex;
    WORD caRedGamma;
    WORD caGreenGamma;
    WORD caBlueGamma;
    WORD caReferenceBlack;
    WORD caReferenceWhite;
    SHORT caContrast;
    SHORT caBrightness;
    SHORT caColorfulness;
    SHORT caRedGreenTint;
};
static_assert(sizeof(COLORADJUSTMENT) == 24);

// Stretching modes of the stretched blits.
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4

struct CIECHROMA {
    LONG x;
    LONG y;
    LONG Y;
};

struct COLORINFO {
    CIECHROMA Red;
    CIECHROMA Green;
    CIECHROMA Blue;
    CIECHROMA Cyan;
    CIECHROMA Magenta;
    CIECHROMA Yellow;
    CIECHROMA AlignmentWhite;
    LONG RedGamma;
    LONG GreenGamma;
    LONG BlueGamma;
    LONG MagentaInCyanDye;
    LONG YellowInCyanDye;
    LONG CyanInMagentaDye;
    LONG YellowInMagentaDye;
    LONG CyanInYellowDye;
    LONG MagentaInYellowDye;
};
static_assert(sizeof(COLORINFO) == 120);

// What a device is: sizes in millimetres and device units, resolution, colours and halftoning.
// ulHorzRes x ulVertRes is the printable area; szlPhysSize the whole page, ptlPhysOffset where the
// printable area begins on it.
struct GDIINFO {
    ULONG ulVersion;
    ULONG ulTechnology;
    ULONG ulHorzSize;
    ULONG ulVertSize;
    ULONG ulHorzRes;
    ULONG ulVertRes;
    ULONG cBitsPixel;
    ULONG cPlanes;
    ULONG ulNumColors;
    FLONG flRaster;
    ULONG ulLogPixelsX;
    ULONG ulLogPixelsY;
    FLONG flTextCaps;
    ULONG ulDACRed;
    ULONG ulDACGreen;
    ULONG ulDACBlue;
    ULONG ulAspectX;
    ULONG ulAspectY;
    ULONG ulAspectXY;
    LONG xStyleStep;
    LONG yStyleStep;
    LONG denStyleStep;
    POINTL ptlPhysOffset;
    SIZEL szlPhysSize;
    ULONG ulNumPalReg;
    COLORINFO ciDevice;
    ULONG ulDevicePelsDPI;
    ULONG ulPrimaryOrder;
    ULONG ulHTPatternSize;
    ULONG ulHTOutputFormat;
    FLONG flHTFlags;
    ULONG ulVRefresh;
    ULONG ulBltAlignment;
    ULONG ulPanningHorzRes;
    ULONG ulPanningVertRes;
    ULONG xPanningAlignment;
    ULONG yPanningAlignment;
    ULONG cxHTPat;
    ULONG cyHTPat;
    LPBYTE pHTPatA;
    LPBYTE pHTPatB;
    LPBYTE pHTPatC;
    ULONG flShadeBlend;
    ULONG ulPhysicalPixelCharacteristics;
    ULONG ulPhysicalPixelGamma;
};
static_assert(sizeof(GDIINFO) == 320 && offsetof(GDIINFO, ulHorzRes) == 16 && offsetof(GDIINFO, ulLogPixelsX) == 40 &&
              offsetof(GDIINFO, ptlPhysOffset) == 88 && offsetof(GDIINFO, szlPhysSize) == 96 &&
              offsetof(GDIINFO, ciDevice) == 108 && offsetof(GDIINFO, pHTPatA) == 280);

#define DT_RASPRINTER 2
#define GDI_DRIVER_VERSION 0x4000

// The driver's graphics capabilities and default fonts.
struct DEVINFO {
    FLONG flGraphicsCaps;
    LOGFONTW lfDefaultFont;
    LOGFONTW lfAnsiVarFont;
    LOGFONTW lfAnsiFixFont;
    ULONG cFonts;
    ULONG iDitherFormat;
    USHORT cxDither;
    USHORT cyDither;
    HPALETTE hpalDefault;
    FLONG flGraphicsCaps2;
};
static_assert(sizeof(DEVINFO) == 312 && offsetof(DEVINFO, cFonts) == 280 && offsetof(DEVINFO, hpalDefault) == 296);

// One driver function and its index.
struct DRVFN {
    ULONG iFunc;
    PFN pfn;
};
typedef DRVFN* PDRVFN;
static_assert(sizeof(DRVFN) == 16);

// What a driver hands over when it is enabled: its DDI version and its functions.
struct DRVENABLEDATA {
    ULONG iDriverVersion;
    ULONG c;
    DRVFN* pdrvfn;
};
typedef DRVENABLEDATA* PDRVENABLEDATA;
static_assert(sizeof(DRVENABLEDATA) == 16);

#define DDI_DRIVER_VERSION_NT5 0x00030000

// Function indexes of the DDI calls a printer driver and its plug-ins deal with.
#define INDEX_DrvEnableSurface 3L
#define INDEX_DrvRealizeBrush 12L
#define INDEX_DrvStrokePath 14L
#define INDEX_DrvFillPath 15L
#define INDEX_DrvStrokeAndFillPath 16L
#define INDEX_DrvPaint 17L
#define INDEX_DrvBitBlt 18L
#define INDEX_DrvCopyBits 19L
#define INDEX_DrvStretchBlt 20L
#define INDEX_DrvTextOut 23L
#define INDEX_DrvEscape 24L
#define INDEX_DrvDrawEscape 25L
#define INDEX_DrvLineTo 31L
#define INDEX_DrvSendPage 32L
#define INDEX_DrvStartPage 33L
#define INDEX_DrvEndDoc 34L
#define INDEX_DrvStartDoc 35L
#define INDEX_DrvGetGlyphMode 37L
#define INDEX_DrvStartBanding 57L
#define INDEX_DrvNextBand 58L
#define INDEX_DrvIcmCreateColorTransform 64L
#define INDEX_DrvIcmDeleteColorTransform 65L
#define INDEX_DrvIcmCheckBitmapBits 66L
#define INDEX_DrvGradientFill 68L
#define INDEX_DrvStretchBltROP 69L
#define INDEX_DrvPlgBlt 70L
#define INDEX_DrvAlphaBlend 71L
#define INDEX_DrvTransparentBlt 74L

// Glyph modes of DrvGetGlyphMode.
#define FO_HGLYPHS 0L
#define FO_GLYPHBITS 1L
#define FO_PATHOBJ 2L

// The hookable drawing calls.
typedef BOOL(APIENTRY* PFN_DrvAlphaBlend)(SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, RECTL*, BLENDOBJ*);
typedef BOOL(APIENTRY* PFN_DrvBitBlt)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, POINTL*, POINTL*,
                                      BRUSHOBJ*, POINTL*, ROP4);
typedef BOOL(APIENTRY* PFN_DrvCopyBits)(SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, POINTL*);
typedef HSURF(APIENTRY* PFN_DrvEnableSurface)(DHPDEV);
typedef BOOL(APIENTRY* PFN_DrvEndDoc)(SURFOBJ*, FLONG);
typedef BOOL(APIENTRY* PFN_DrvFillPath)(SURFOBJ*, PATHOBJ*, CLIPOBJ*, BRUSHOBJ*, POINTL*, MIX, FLONG);
typedef BOOL(APIENTRY* PFN_DrvGradientFill)(SURFOBJ*, CLIPOBJ*, XLATEOBJ*, TRIVERTEX*, ULONG, PVOID, ULONG, RECTL*,
                                            POINTL*, ULONG);
typedef ULONG(APIENTRY* PFN_DrvGetGlyphMode)(DHPDEV, FONTOBJ*);
typedef BOOL(APIENTRY* PFN_DrvLineTo)(SURFOBJ*, CLIPOBJ*, BRUSHOBJ*, LONG, LONG, LONG, LONG, RECTL*, MIX);
typedef BOOL(APIENTRY* PFN_DrvNextBand)(SURFOBJ*, POINTL*);
typedef BOOL(APIENTRY* PFN_DrvPaint)(SURFOBJ*, CLIPOBJ*, BRUSHOBJ*, POINTL*, MIX);
typedef BOOL(APIENTRY* PFN_DrvPlgBlt)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*,
                                      POINTFIX*, RECTL*, POINTL*, ULONG);
typedef BOOL(APIENTRY* PFN_DrvRealizeBrush)(BRUSHOBJ*, SURFOBJ*, SURFOBJ*, SURFOBJ*, XLATEOBJ*, ULONG);
typedef BOOL(APIENTRY* PFN_DrvSendPage)(SURFOBJ*);
typedef BOOL(APIENTRY* PFN_DrvStartBanding)(SURFOBJ*, POINTL*);
typedef BOOL(APIENTRY* PFN_DrvStartDoc)(SURFOBJ*, LPWSTR, DWORD);
typedef BOOL(APIENTRY* PFN_DrvStartPage)(SURFOBJ*);
typedef BOOL(APIENTRY* PFN_DrvStretchBlt)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*, POINTL*,
                                          RECTL*, RECTL*, POINTL*, ULONG);
typedef BOOL(APIENTRY* PFN_DrvStretchBltROP)(SURFOBJ*, SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, COLORADJUSTMENT*,
                                             POINTL*, RECTL*, RECTL*, POINTL*, ULONG, BRUSHOBJ*, ROP4);
typedef BOOL(APIENTRY* PFN_DrvStrokeAndFillPath)(SURFOBJ*, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*, LINEATTRS*,
                                                 BRUSHOBJ*, POINTL*, MIX, FLONG);
typedef BOOL(APIENTRY* PFN_DrvStrokePath)(SURFOBJ*, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*, POINTL*, LINEATTRS*,
                                          MIX);
typedef BOOL(APIENTRY* PFN_DrvTextOut)(SURFOBJ*, STROBJ*, FONTOBJ*, CLIPOBJ*, RECTL*, RECTL*, BRUSHOBJ*, BRUSHOBJ*,
                                       POINTL*, MIX);
typedef BOOL(APIENTRY* PFN_DrvTransparentBlt)(SURFOBJ*, SURFOBJ*, CLIPOBJ*, XLATEOBJ*, RECTL*, RECTL*, ULONG, ULONG);
typedef ULONG(APIENTRY* PFN_DrvEscape)(SURFOBJ*, ULONG, ULONG, PVOID, ULONG, PVOID);
typedef ULONG(APIENTRY* PFN_DrvDrawEscape)(SURFOBJ*, ULONG, CLIPOBJ*, RECTL*, ULONG, PVOID);

// The graphics engine's own drawing: a driver hands a call it does not draw itself to these. Each
// call is entered into the engine's call log (palvex/eng_calls.h) and answers what the log is set
// to answer (TRUE unless a test says otherwise); a missing target surface answers FALSE.
WINBASEAPI BOOL EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ* pfo, CLIPOBJ* pco, RECTL* prclExtra,
                           RECTL* prclOpaque, BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix);
WINBASEAPI BOOL EngPlgBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ* psoMsk, CLIPOBJ* pco, XLATEOBJ* pxlo,
                          COLORADJUSTMENT* pca, POINTL* pptlBrushOrg, POINTFIX* pptfx, RECTL* prcl, POINTL* pptl,
                          ULONG iMode);
WINBASEAPI BOOL EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                              COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                              POINTL* pptlMask, ULONG iMode);
WINBASEAPI BOOL EngStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ* psoMask, CLIPOBJ* pco, XLATEOBJ* pxlo,
                                 COLORADJUSTMENT* pca, POINTL* pptlHTOrg, RECTL* prclDest, RECTL* prclSrc,
                                 POINTL* pptlMask, ULONG iMode, BRUSHOBJ* pbo, DWORD rop4);
