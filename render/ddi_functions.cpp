#include "ddi_functions.h"

#include <cstring>
#include <new>

#include "ddi_call.h"
#include "page_layout.h"
#include "settings_access.h"
#include "watermark_output.h"

namespace render::ddi {
namespace {

// Band bitmaps are cleared to white, except on Windows 2000 for formats other than 24 bits per
// pixel, whose white is 0 there.
void ClearBand(const OemPdev& pdev, SURFOBJ* surface) {
    if (!surface->pvBits || !surface->cjBits) return;
    const int fill = (surface->iBitmapFormat != BMF_24BPP && pdev.m_windows2000) ? 0x00 : 0xFF;
    std::memset(surface->pvBits, fill, surface->cjBits);
}

}  // namespace

BOOL APIENTRY DrvAlphaBlend(SURFOBJ* target, SURFOBJ* source, CLIPOBJ* clip, XLATEOBJ* xlate, RECTL* targetRect,
                            RECTL* sourceRect, BLENDOBJ* blend) {
    return PassOn<PFN_DrvAlphaBlend>(OemPdevOf(target), &PluginHooks::m_alphaBlend, UnidrvFn::AlphaBlend, target,
                                     source, clip, xlate, targetRect, sourceRect, blend);
}

BOOL APIENTRY DrvBitBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                        RECTL* targetRect, POINTL* sourcePoint, POINTL* maskPoint, BRUSHOBJ* brush,
                        POINTL* brushOrigin, ROP4 rop4) {
    OemPdev* pdev = OemPdevOf(target);
    if (!pdev) return FALSE;
    BOOL result = FALSE;
    if (HookDrew(HooksOf(*pdev).m_bitBlt, &result, target, source, mask, clip, xlate, targetRect, sourcePoint,
                 maskPoint, brush, brushOrigin, rop4))
        return TRUE;
    if (!source) {
        const BYTE rop = static_cast<BYTE>(rop4 & 0xFF);
        if (pdev->m_modeFlags & kModeHpgl2) {
            // A rectangle one unit wide (or high) keeps that unit.
            if (rop == 0x5A && targetRect) {
                if (targetRect->right > targetRect->left + 1) --targetRect->right;
                if (targetRect->bottom > targetRect->top + 1) --targetRect->bottom;
            }
        } else if (rop == 0xF0 && brushOrigin) {
            brushOrigin->x -= pdev->m_bandOrigin.x;
            brushOrigin->y -= pdev->m_bandOrigin.y;
        }
    }
    return CallUnidrv<PFN_DrvBitBlt>(*pdev, UnidrvFn::BitBlt, FALSE, target, source, mask, clip, xlate, targetRect,
                                     sourcePoint, maskPoint, brush, brushOrigin, rop4);
}

BOOL APIENTRY DrvCopyBits(SURFOBJ* target, SURFOBJ* source, CLIPOBJ* clip, XLATEOBJ* xlate, RECTL* targetRect,
                          POINTL* sourcePoint) {
    return PassOn<PFN_DrvCopyBits>(OemPdevOf(target), &PluginHooks::m_copyBits, UnidrvFn::CopyBits, target, source,
                                   clip, xlate, targetRect, sourcePoint);
}

BOOL APIENTRY DrvEndDoc(SURFOBJ* surface, FLONG flags) {
    OemPdev* pdev = OemPdevOf(surface);
    if (!pdev) return FALSE;
    BOOL result = FALSE;
    if (HookDrew(HooksOf(*pdev).m_endDoc, &result, surface, flags)) return TRUE;
    pdev->m_pageWork.reset();
    pdev->m_pageWorkSize = 0;
    ReleaseWatermarkState(pdev);
    return CallUnidrv<PFN_DrvEndDoc>(*pdev, UnidrvFn::EndDoc, FALSE, surface, flags);
}

BOOL APIENTRY DrvFillPath(SURFOBJ* surface, PATHOBJ* path, CLIPOBJ* clip, BRUSHOBJ* brush, POINTL* brushOrigin,
                          MIX mix, FLONG options) {
    return PassOn<PFN_DrvFillPath>(OemPdevOf(surface), &PluginHooks::m_fillPath, UnidrvFn::FillPath, surface, path,
                                   clip, brush, brushOrigin, mix, options);
}

BOOL APIENTRY DrvGradientFill(SURFOBJ* surface, CLIPOBJ* clip, XLATEOBJ* xlate, TRIVERTEX* vertices, ULONG vertexCount,
                              PVOID mesh, ULONG meshCount, RECTL* extents, POINTL* ditherOrigin, ULONG mode) {
    return PassOn<PFN_DrvGradientFill>(OemPdevOf(surface), &PluginHooks::m_gradientFill, UnidrvFn::GradientFill,
                                       surface, clip, xlate, vertices, vertexCount, mesh, meshCount, extents,
                                       ditherOrigin, mode);
}

ULONG APIENTRY DrvGetGlyphMode(DHPDEV dhpdev, FONTOBJ* font) {
    OemPdev* pdev = OemPdevOfHandle(dhpdev);
    if (!pdev) return 0;
    ULONG result = 0;
    if (HookDrew(HooksOf(*pdev).m_getGlyphMode, &result, dhpdev, font)) return result;
    return CallUnidrv<PFN_DrvGetGlyphMode>(*pdev, UnidrvFn::GetGlyphMode, ULONG{0}, dhpdev, font);
}

BOOL APIENTRY DrvLineTo(SURFOBJ* surface, CLIPOBJ* clip, BRUSHOBJ* brush, LONG x1, LONG y1, LONG x2, LONG y2,
                        RECTL* bounds, MIX mix) {
    OemPdev* pdev = OemPdevOf(surface);
    if (!pdev) return FALSE;
    BOOL result = FALSE;
    if (HookDrew(HooksOf(*pdev).m_lineTo, &result, surface, clip, brush, x1, y1, x2, y2, bounds, mix)) return TRUE;
    MarkCellCrossings(pdev, x1, y1, x2, y2);
    return CallUnidrv<PFN_DrvLineTo>(*pdev, UnidrvFn::LineTo, FALSE, surface, clip, brush, x1, y1, x2, y2, bounds, mix);
}

BOOL APIENTRY DrvNextBand(SURFOBJ* surface, POINTL* origin) {
    OemPdev* pdev = OemPdevOf(surface);
    if (!pdev) return FALSE;
    pdev->m_currentSurface = surface;
    const BOOL result = CallUnidrv<PFN_DrvNextBand>(*pdev, UnidrvFn::NextBand, FALSE, surface, origin);
    if (!result || !origin) return result;
    if (origin->x == -1 && origin->y == -1) {
        FreePageObjects(pdev);
    } else {
        pdev->m_bandOrigin = *origin;
        if (pdev->m_layout.m_pageObjects && pdev->m_currentSurface) ClearBand(*pdev, pdev->m_currentSurface);
    }
    return result;
}

BOOL APIENTRY DrvPaint(SURFOBJ* surface, CLIPOBJ* clip, BRUSHOBJ* brush, POINTL* brushOrigin, MIX mix) {
    return PassOn<PFN_DrvPaint>(OemPdevOf(surface), &PluginHooks::m_paint, UnidrvFn::Paint, surface, clip, brush,
                                brushOrigin, mix);
}

BOOL APIENTRY DrvPlgBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                        COLORADJUSTMENT* adjustment, POINTL* brushOrigin, POINTFIX* corners, RECTL* sourceRect,
                        POINTL* maskPoint, ULONG mode) {
    return PassOn<PFN_DrvPlgBlt>(OemPdevOf(target), &PluginHooks::m_plgBlt, UnidrvFn::PlgBlt, target, source, mask,
                                 clip, xlate, adjustment, brushOrigin, corners, sourceRect, maskPoint, mode);
}

BOOL APIENTRY DrvRealizeBrush(BRUSHOBJ* brush, SURFOBJ* target, SURFOBJ* pattern, SURFOBJ* mask, XLATEOBJ* xlate,
                              ULONG hatch) {
    return PassOn<PFN_DrvRealizeBrush>(OemPdevOf(target), &PluginHooks::m_realizeBrush, UnidrvFn::RealizeBrush, brush,
                                       target, pattern, mask, xlate, hatch);
}

BOOL APIENTRY DrvSendPage(SURFOBJ* surface) {
    OemPdev* pdev = OemPdevOf(surface);
    if (!pdev) return FALSE;
    BOOL result = FALSE;
    if (HookDrew(HooksOf(*pdev).m_sendPage, &result, surface)) return TRUE;
    result = CallUnidrv<PFN_DrvSendPage>(*pdev, UnidrvFn::SendPage, FALSE, surface);
    FreePageObjects(pdev);
    return result;
}

BOOL APIENTRY DrvStartBanding(SURFOBJ* surface, POINTL* origin) {
    OemPdev* pdev = OemPdevOf(surface);
    if (!pdev) return FALSE;
    BOOL result = FALSE;
    if (HookDrew(HooksOf(*pdev).m_startBanding, &result, surface, origin)) return TRUE;
    pdev->m_currentSurface = surface;
    result = CallUnidrv<PFN_DrvStartBanding>(*pdev, UnidrvFn::StartBanding, FALSE, surface, origin);
    if (result && origin) pdev->m_bandOrigin = *origin;
    return result;
}

BOOL APIENTRY DrvStartDoc(SURFOBJ* surface, LPWSTR documentName, DWORD jobId) {
    OemPdev* pdev = OemPdevOf(surface);
    if (!pdev) return FALSE;
    BOOL result = FALSE;
    if (HookDrew(HooksOf(*pdev).m_startDoc, &result, surface, documentName, jobId)) return TRUE;
    DocumentCounters& document = pdev->m_document;
    if (document.m_jobId == 0) {
        // Without memory for the buffer the document goes on without one.
        pdev->m_pageWork.reset(new (std::nothrow) BYTE[kPageWorkSize]());
        pdev->m_pageWorkSize = pdev->m_pageWork ? kPageWorkSize : 0;
        document.m_jobId = jobId;
        document.m_docPageCount = ReadField<DWORD>(pdev->m_settings, pdev->m_privateDevmode, u"_ACC_DOCPAGECOUNT",
                                                   SETTINGS_SELECT_DEVMODE);
        if (document.m_docPageCount <= 100000) {
            LoadPageSettings(pdev);
            CountDuplexSheets(pdev, 0);
            document.m_pageCounter = 0;
        }
    }
    return CallUnidrv<PFN_DrvStartDoc>(*pdev, UnidrvFn::StartDoc, FALSE, surface, documentName, jobId);
}

BOOL APIENTRY DrvStartPage(SURFOBJ* surface) {
    OemPdev* pdev = OemPdevOf(surface);
    if (!pdev) return FALSE;
    BOOL result = FALSE;
    if (HookDrew(HooksOf(*pdev).m_startPage, &result, surface)) return TRUE;
    if (pdev->m_modeFlags & kModeTextAsGraphics) pdev->m_currentSurface = surface;
    StartPageLayout(pdev, surface->sizlBitmap);
    return CallUnidrv<PFN_DrvStartPage>(*pdev, UnidrvFn::StartPage, FALSE, surface);
}

BOOL APIENTRY DrvStretchBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                            COLORADJUSTMENT* adjustment, POINTL* halftoneOrigin, RECTL* targetRect, RECTL* sourceRect,
                            POINTL* maskPoint, ULONG mode) {
    return PassOn<PFN_DrvStretchBlt>(OemPdevOf(target), &PluginHooks::m_stretchBlt, UnidrvFn::StretchBlt, target,
                                     source, mask, clip, xlate, adjustment, halftoneOrigin, targetRect, sourceRect,
                                     maskPoint, mode);
}

BOOL APIENTRY DrvStretchBltROP(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                               COLORADJUSTMENT* adjustment, POINTL* halftoneOrigin, RECTL* targetRect,
                               RECTL* sourceRect, POINTL* maskPoint, ULONG mode, BRUSHOBJ* brush, ROP4 rop4) {
    return PassOn<PFN_DrvStretchBltROP>(OemPdevOf(target), &PluginHooks::m_stretchBltROP, UnidrvFn::StretchBltROP,
                                        target, source, mask, clip, xlate, adjustment, halftoneOrigin, targetRect,
                                        sourceRect, maskPoint, mode, brush, rop4);
}

BOOL APIENTRY DrvStrokeAndFillPath(SURFOBJ* surface, PATHOBJ* path, CLIPOBJ* clip, XFORMOBJ* xform,
                                   BRUSHOBJ* strokeBrush, LINEATTRS* lineAttributes, BRUSHOBJ* fillBrush,
                                   POINTL* brushOrigin, MIX mix, FLONG options) {
    return PassOn<PFN_DrvStrokeAndFillPath>(OemPdevOf(surface), &PluginHooks::m_strokeAndFillPath,
                                            UnidrvFn::StrokeAndFillPath, surface, path, clip, xform, strokeBrush,
                                            lineAttributes, fillBrush, brushOrigin, mix, options);
}

BOOL APIENTRY DrvStrokePath(SURFOBJ* surface, PATHOBJ* path, CLIPOBJ* clip, XFORMOBJ* xform, BRUSHOBJ* brush,
                            POINTL* brushOrigin, LINEATTRS* lineAttributes, MIX mix) {
    return PassOn<PFN_DrvStrokePath>(OemPdevOf(surface), &PluginHooks::m_strokePath, UnidrvFn::StrokePath, surface,
                                     path, clip, xform, brush, brushOrigin, lineAttributes, mix);
}

BOOL APIENTRY DrvTransparentBlt(SURFOBJ* target, SURFOBJ* source, CLIPOBJ* clip, XLATEOBJ* xlate, RECTL* targetRect,
                                RECTL* sourceRect, ULONG transparentColor, ULONG reserved) {
    return PassOn<PFN_DrvTransparentBlt>(OemPdevOf(target), &PluginHooks::m_transparentBlt, UnidrvFn::TransparentBlt,
                                         target, source, clip, xlate, targetRect, sourceRect, transparentColor,
                                         reserved);
}

ULONG APIENTRY DrvEscape(SURFOBJ* surface, ULONG escape, ULONG inputSize, PVOID input, ULONG outputSize,
                         PVOID output) {
    OemPdev* pdev = OemPdevOf(surface);
    if (!pdev) return 0;
    return CallUnidrv<PFN_DrvEscape>(*pdev, UnidrvFn::Escape, ULONG{0}, surface, escape, inputSize, input, outputSize,
                                     output);
}

ULONG APIENTRY DrvDrawEscape(SURFOBJ* surface, ULONG escape, CLIPOBJ* clip, RECTL* rect, ULONG inputSize, PVOID input) {
    OemPdev* pdev = OemPdevOf(surface);
    if (!pdev) return 0;
    return CallUnidrv<PFN_DrvDrawEscape>(*pdev, UnidrvFn::DrawEscape, ULONG{0}, surface, escape, clip, rect, inputSize,
                                         input);
}

}  // namespace render::ddi

namespace {

void Place(DRVFN* table, DrvFnSlot slot, ULONG index, PFN function) {
    table[static_cast<unsigned>(slot)] = DRVFN{index, function};
}

// Function types convert through the generic one, as the engine's tables do.
template <class Function>
PFN AsPfn(Function function) {
    return reinterpret_cast<PFN>(reinterpret_cast<void (*)()>(function));
}

}  // namespace

DRVFN* PluginDrvFnTable() {
    using namespace render::ddi;
    static DRVFN table[kPluginDrvFnCount] = {};
    static const bool filled = [] {
        Place(table, DrvFnSlot::AlphaBlend, INDEX_DrvAlphaBlend, AsPfn(&DrvAlphaBlend));
        Place(table, DrvFnSlot::BitBlt, INDEX_DrvBitBlt, AsPfn(&DrvBitBlt));
        Place(table, DrvFnSlot::CopyBits, INDEX_DrvCopyBits, AsPfn(&DrvCopyBits));
        Place(table, DrvFnSlot::EndDoc, INDEX_DrvEndDoc, AsPfn(&DrvEndDoc));
        Place(table, DrvFnSlot::FillPath, INDEX_DrvFillPath, AsPfn(&DrvFillPath));
        Place(table, DrvFnSlot::GradientFill, INDEX_DrvGradientFill, AsPfn(&DrvGradientFill));
        Place(table, DrvFnSlot::GetGlyphMode, INDEX_DrvGetGlyphMode, AsPfn(&DrvGetGlyphMode));
        Place(table, DrvFnSlot::LineTo, INDEX_DrvLineTo, AsPfn(&DrvLineTo));
        Place(table, DrvFnSlot::NextBand, INDEX_DrvNextBand, AsPfn(&DrvNextBand));
        Place(table, DrvFnSlot::Paint, INDEX_DrvPaint, AsPfn(&DrvPaint));
        Place(table, DrvFnSlot::PlgBlt, INDEX_DrvPlgBlt, AsPfn(&DrvPlgBlt));
        Place(table, DrvFnSlot::RealizeBrush, INDEX_DrvRealizeBrush, AsPfn(&DrvRealizeBrush));
        Place(table, DrvFnSlot::SendPage, INDEX_DrvSendPage, AsPfn(&DrvSendPage));
        Place(table, DrvFnSlot::StartBanding, INDEX_DrvStartBanding, AsPfn(&DrvStartBanding));
        Place(table, DrvFnSlot::StartDoc, INDEX_DrvStartDoc, AsPfn(&DrvStartDoc));
        Place(table, DrvFnSlot::StartPage, INDEX_DrvStartPage, AsPfn(&DrvStartPage));
        Place(table, DrvFnSlot::StretchBlt, INDEX_DrvStretchBlt, AsPfn(&DrvStretchBlt));
        Place(table, DrvFnSlot::StretchBltROP, INDEX_DrvStretchBltROP, AsPfn(&DrvStretchBltROP));
        Place(table, DrvFnSlot::StrokeAndFillPath, INDEX_DrvStrokeAndFillPath, AsPfn(&DrvStrokeAndFillPath));
        Place(table, DrvFnSlot::StrokePath, INDEX_DrvStrokePath, AsPfn(&DrvStrokePath));
        Place(table, DrvFnSlot::TextOut, INDEX_DrvTextOut, AsPfn(&DrvTextOut));
        Place(table, DrvFnSlot::TransparentBlt, INDEX_DrvTransparentBlt, AsPfn(&DrvTransparentBlt));
        Place(table, DrvFnSlot::Escape, INDEX_DrvEscape, AsPfn(&DrvEscape));
        Place(table, DrvFnSlot::DrawEscape, INDEX_DrvDrawEscape, AsPfn(&DrvDrawEscape));
        return true;
    }();
    (void)filled;
    return table;
}
