// The model's blit and stroke hooks: halftoned blits with the process's colour adjustment, and
// hairlines widened for the PCL 5 types at high resolution.
#include "colour_adjust.h"
#include "model_hooks.h"
#include "oem_pdev.h"

namespace {

// The engine's answer as a hook's: drawn, or left to the universal driver's own function.
HRESULT Drawn(BOOL drawn, BOOL* result) {
    if (!drawn) return E_NOTIMPL;
    if (result) *result = TRUE;
    return S_OK;
}

}  // namespace

HRESULT hrOEMPlgBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                    COLORADJUSTMENT*, POINTL* brushOrigin, POINTFIX* corners, RECTL* sourceRect, POINTL* maskPoint,
                    ULONG, BOOL* result) {
    const ProcessColourAdjustment& colour = ColourAdjustmentOfProcess();
    if (!colour.m_on) return E_NOTIMPL;
    COLORADJUSTMENT adjustment = colour.m_adjustment;
    return Drawn(EngPlgBlt(target, source, mask, clip, xlate, &adjustment, brushOrigin, corners, sourceRect, maskPoint,
                           HALFTONE),
                 result);
}

HRESULT hrOEMStretchBlt(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                        COLORADJUSTMENT*, POINTL* halftoneOrigin, RECTL* targetRect, RECTL* sourceRect,
                        POINTL* maskPoint, ULONG, BOOL* result) {
    const ProcessColourAdjustment& colour = ColourAdjustmentOfProcess();
    if (!colour.m_on) return E_NOTIMPL;
    COLORADJUSTMENT adjustment = colour.m_adjustment;
    return Drawn(EngStretchBlt(target, source, mask, clip, xlate, &adjustment, halftoneOrigin, targetRect, sourceRect,
                               maskPoint, HALFTONE),
                 result);
}

HRESULT hrOEMStretchBltROP(SURFOBJ* target, SURFOBJ* source, SURFOBJ* mask, CLIPOBJ* clip, XLATEOBJ* xlate,
                           COLORADJUSTMENT*, POINTL* halftoneOrigin, RECTL* targetRect, RECTL* sourceRect,
                           POINTL* maskPoint, ULONG, BRUSHOBJ* brush, ROP4 rop4, BOOL* result) {
    const ProcessColourAdjustment& colour = ColourAdjustmentOfProcess();
    if (!colour.m_on) return E_NOTIMPL;
    COLORADJUSTMENT adjustment = colour.m_adjustment;
    return Drawn(EngStretchBltROP(target, source, mask, clip, xlate, &adjustment, halftoneOrigin, targetRect,
                                  sourceRect, maskPoint, HALFTONE, brush, rop4),
                 result);
}

HRESULT hrOEMStrokePath(SURFOBJ* surface, PATHOBJ*, CLIPOBJ*, XFORMOBJ*, BRUSHOBJ*, POINTL*,
                        LINEATTRS* lineAttributes, MIX, BOOL*) {
    // A one-unit line of the PCL 5 types all but vanishes at high resolution.
    const OemPdev* pdev = OemPdevOf(surface);
    if (pdev && lineAttributes && pdev->m_pdlType >= 40 && pdev->m_pdlType <= 49 &&
        pdev->m_layout.m_resolution >= 301 && lineAttributes->elWidth.l == 1)
        lineAttributes->elWidth.l = 2;
    return E_PENDING;
}
