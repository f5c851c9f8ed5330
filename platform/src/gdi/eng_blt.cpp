// The graphics engine's own stretched and transformed blits.
#include <win/winddi.h>

#include "gdi/eng_calls.h"

namespace {

palvex::EngCall BlitCall(const char* function, SURFOBJ* target, SURFOBJ* source, CLIPOBJ* clip,
                         const COLORADJUSTMENT* adjustment, ULONG mode) {
    palvex::EngCall call;
    call.function = function;
    call.target = target;
    call.source = source;
    call.clip = clip;
    if (adjustment) call.colorAdjustment = *adjustment;
    call.mode = mode;
    return call;
}

}  // namespace

BOOL EngPlgBlt(SURFOBJ* psoTrg, SURFOBJ* psoSrc, SURFOBJ*, CLIPOBJ* pco, XLATEOBJ*, COLORADJUSTMENT* pca, POINTL*,
               POINTFIX* pptfx, RECTL* prcl, POINTL*, ULONG iMode) {
    palvex::EngCall call = BlitCall("EngPlgBlt", psoTrg, psoSrc, pco, pca, iMode);
    call.sourceRect = palvex::eng::Rect(prcl);
    if (pptfx) call.corners.assign(pptfx, pptfx + 3);
    return palvex::eng::Record(std::move(call));
}

BOOL EngStretchBlt(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ*, CLIPOBJ* pco, XLATEOBJ*, COLORADJUSTMENT* pca, POINTL*,
                   RECTL* prclDest, RECTL* prclSrc, POINTL*, ULONG iMode) {
    palvex::EngCall call = BlitCall("EngStretchBlt", psoDest, psoSrc, pco, pca, iMode);
    call.targetRect = palvex::eng::Rect(prclDest);
    call.sourceRect = palvex::eng::Rect(prclSrc);
    return palvex::eng::Record(std::move(call));
}

BOOL EngStretchBltROP(SURFOBJ* psoDest, SURFOBJ* psoSrc, SURFOBJ*, CLIPOBJ* pco, XLATEOBJ*, COLORADJUSTMENT* pca,
                      POINTL*, RECTL* prclDest, RECTL* prclSrc, POINTL*, ULONG iMode, BRUSHOBJ* pbo, DWORD rop4) {
    palvex::EngCall call = BlitCall("EngStretchBltROP", psoDest, psoSrc, pco, pca, iMode);
    call.targetRect = palvex::eng::Rect(prclDest);
    call.sourceRect = palvex::eng::Rect(prclSrc);
    call.brushColor = palvex::eng::Color(pbo);
    call.rop = rop4;
    return palvex::eng::Record(std::move(call));
}
