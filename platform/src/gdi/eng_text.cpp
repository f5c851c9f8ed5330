// The graphics engine's own text drawing.
#include <win/winddi.h>

#include "gdi/eng_calls.h"

BOOL EngTextOut(SURFOBJ* pso, STROBJ* pstro, FONTOBJ*, CLIPOBJ* pco, RECTL* prclExtra, RECTL* prclOpaque,
                BRUSHOBJ* pboFore, BRUSHOBJ* pboOpaque, POINTL* pptlOrg, MIX mix) {
    palvex::EngCall call;
    call.function = "EngTextOut";
    call.target = pso;
    call.clip = pco;
    if (pstro && pstro->pwszOrg) call.text.assign(pstro->pwszOrg, pstro->cGlyphs);
    call.foreColor = palvex::eng::Color(pboFore);
    call.foreColorType = pboFore ? pboFore->flColorType : 0;
    call.opaqueColor = palvex::eng::Color(pboOpaque);
    call.extra = palvex::eng::Rect(prclExtra);
    call.opaque = palvex::eng::Rect(prclOpaque);
    if (pptlOrg) call.origin = *pptlOrg;
    call.mix = mix;
    return palvex::eng::Record(std::move(call));
}
