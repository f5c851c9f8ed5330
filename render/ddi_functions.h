// The plug-in's 24 graphics (DDI) functions and the DRVFN table that hands them to the universal
// driver at EnableDriver. The driver calls them in place of its own. Each finds its OEM PDEV
// through the surface (the surface's PDEV is the PDEVOBJ), offers the call to the hook table, and
// otherwise does its own work and calls the driver's own function, saved in the OEM PDEV. A hook
// that draws the call makes it answer TRUE. Without an OEM PDEV there is no driver function to
// call: the call fails (FALSE, or 0 for the calls that answer a number).
#pragma once

#include <win/winddi.h>

// The positions of the DRVFN table.
enum class DrvFnSlot : unsigned {
    AlphaBlend,
    BitBlt,
    CopyBits,
    EndDoc,
    FillPath,
    GradientFill,
    GetGlyphMode,
    LineTo,
    NextBand,
    Paint,
    PlgBlt,
    RealizeBrush,
    SendPage,
    StartBanding,
    StartDoc,
    StartPage,
    StretchBlt,
    StretchBltROP,
    StrokeAndFillPath,
    StrokePath,
    TextOut,
    TransparentBlt,
    Escape,
    DrawEscape,
    Count
};
inline constexpr ULONG kPluginDrvFnCount = static_cast<ULONG>(DrvFnSlot::Count);
static_assert(kPluginDrvFnCount == 24);

// The table EnableDriver hands over, kPluginDrvFnCount entries in DrvFnSlot order.
DRVFN* PluginDrvFnTable();

namespace render::ddi {

BOOL APIENTRY DrvAlphaBlend(SURFOBJ* target, SURFOBJ* source, CLIPOBJ* clip, XLATEOBJ* xlate, RECTL* targetRect,
                            RECTL* sourceRect, BLENDOBJ* blend);
// With no source: in HP-GL/2 mode a PATINVERT fill (ROP low byte 0x5A) loses its last column and
// row, so that neighbouring inverted fills do not overlap; otherwise a PATCOPY fill (0xF0) takes
// its brush origin relative to the band.
BOOL APIENTRY DrvBitBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                        RECTL* targetRect, POINTL* sourcePoint, POINTL* maskPoint, BRUSHOBJ* brush,
                        POINTL* brushOrigin, ROP4 rop4);
BOOL APIENTRY DrvCopyBits(SURFOBJ* target, SURFOBJ* source, CLIPOBJ* clip, XLATEOBJ* xlate, RECTL* targetRect,
                          POINTL* sourcePoint);
// Frees the document's buffers, then the driver's EndDoc.
BOOL APIENTRY DrvEndDoc(SURFOBJ* surface, FLONG flags);
BOOL APIENTRY DrvFillPath(SURFOBJ* surface, PATHOBJ* path, CLIPOBJ* clip, BRUSHOBJ* brush, POINTL* brushOrigin,
                          MIX mix, FLONG options);
BOOL APIENTRY DrvGradientFill(SURFOBJ* surface, CLIPOBJ* clip, XLATEOBJ* xlate, TRIVERTEX* vertices, ULONG vertexCount,
                              PVOID mesh, ULONG meshCount, RECTL* extents, POINTL* ditherOrigin, ULONG mode);
ULONG APIENTRY DrvGetGlyphMode(DHPDEV dhpdev, FONTOBJ* font);
// Marks the N-up cells the line crosses, then the driver's LineTo.
BOOL APIENTRY DrvLineTo(SURFOBJ* surface, CLIPOBJ* clip, BRUSHOBJ* brush, LONG x1, LONG y1, LONG x2, LONG y2,
                        RECTL* bounds, MIX mix);
// No hook. After the driver's NextBand: at the page's end the page objects go; otherwise the band
// origin moves and, while the page has objects, the band's bits are cleared.
BOOL APIENTRY DrvNextBand(SURFOBJ* surface, POINTL* origin);
BOOL APIENTRY DrvPaint(SURFOBJ* surface, CLIPOBJ* clip, BRUSHOBJ* brush, POINTL* brushOrigin, MIX mix);
BOOL APIENTRY DrvPlgBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                        COLORADJUSTMENT* adjustment, POINTL* brushOrigin, POINTFIX* corners, RECTL* sourceRect,
                        POINTL* maskPoint, ULONG mode);
// The OEM PDEV is found through the target surface.
BOOL APIENTRY DrvRealizeBrush(BRUSHOBJ* brush, SURFOBJ* target, SURFOBJ* pattern, SURFOBJ* mask, XLATEOBJ* xlate,
                              ULONG hatch);
// The driver's SendPage, then the page's end (the page counter moves).
BOOL APIENTRY DrvSendPage(SURFOBJ* surface);
// The band origin follows what the driver's StartBanding answers.
BOOL APIENTRY DrvStartBanding(SURFOBJ* surface, POINTL* origin);
// The first document on the PDEV gets its page-work buffer and its counts.
BOOL APIENTRY DrvStartDoc(SURFOBJ* surface, LPWSTR documentName, DWORD jobId);
// The page's layout starts, then the driver's StartPage.
BOOL APIENTRY DrvStartPage(SURFOBJ* surface);
BOOL APIENTRY DrvStretchBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                            COLORADJUSTMENT* adjustment, POINTL* halftoneOrigin, RECTL* targetRect, RECTL* sourceRect,
                            POINTL* maskPoint, ULONG mode);
BOOL APIENTRY DrvStretchBltROP(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                               COLORADJUSTMENT* adjustment, POINTL* halftoneOrigin, RECTL* targetRect,
                               RECTL* sourceRect, POINTL* maskPoint, ULONG mode, BRUSHOBJ* brush, ROP4 rop4);
BOOL APIENTRY DrvStrokeAndFillPath(SURFOBJ* surface, PATHOBJ* path, CLIPOBJ* clip, XFORMOBJ* xform,
                                   BRUSHOBJ* strokeBrush, LINEATTRS* lineAttributes, BRUSHOBJ* fillBrush,
                                   POINTL* brushOrigin, MIX mix, FLONG options);
BOOL APIENTRY DrvStrokePath(SURFOBJ* surface, PATHOBJ* path, CLIPOBJ* clip, XFORMOBJ* xform, BRUSHOBJ* brush,
                            POINTL* brushOrigin, LINEATTRS* lineAttributes, MIX mix);
// Text colours: black text when the job asks for it, and for text drawn as graphics the text goes
// through the graphics engine with substitute solid brushes when its colours need changing.
BOOL APIENTRY DrvTextOut(SURFOBJ* surface, STROBJ* string, FONTOBJ* font, CLIPOBJ* clip, RECTL* extra, RECTL* opaque,
                         BRUSHOBJ* foreground, BRUSHOBJ* opaqueBrush, POINTL* origin, MIX mix);
BOOL APIENTRY DrvTransparentBlt(SURFOBJ* target, SURFOBJ* source, CLIPOBJ* clip, XLATEOBJ* xlate, RECTL* targetRect,
                                RECTL* sourceRect, ULONG transparentColor, ULONG reserved);
// Straight to the driver's functions.
ULONG APIENTRY DrvEscape(SURFOBJ* surface, ULONG escape, ULONG inputSize, PVOID input, ULONG outputSize,
                         PVOID output);
ULONG APIENTRY DrvDrawEscape(SURFOBJ* surface, ULONG escape, CLIPOBJ* clip, RECTL* rect, ULONG inputSize, PVOID input);

}  // namespace render::ddi
