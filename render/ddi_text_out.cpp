// DrvTextOut: text colours, and text drawn as graphics through the graphics engine.
#include <win/winddi.h>

#include "ddi_call.h"
#include "ddi_functions.h"

namespace render::ddi {
namespace {

constexpr ULONG kPatternBrush = 0xFFFFFFFF;
constexpr ROP4 kKeepDestination = 0xAAAA;

// A solid brush of the PDEV standing in for one of the call's brushes.
BRUSHOBJ* Substitute(OemPdev& pdev, ULONG color) {
    const DWORD slot = pdev.m_substituteCount < kMaxSubstituteBrushes ? pdev.m_substituteCount++
                                                                      : kMaxSubstituteBrushes - 1;
    pdev.m_substituteBrushes[slot] = BRUSHOBJ{color, nullptr, BR_ORIGCOLOR};
    return &pdev.m_substituteBrushes[slot];
}

// The text's own way: its boxes go to the driver as blits that keep the page as it is (so the
// driver knows the area is drawn), then the graphics engine draws the text.
BOOL DrawTextOwnWay(OemPdev& pdev, SURFOBJ* surface, STROBJ* string, FONTOBJ* font, CLIPOBJ* clip, RECTL* extra,
                    RECTL* opaque, BRUSHOBJ* foreground, BRUSHOBJ* opaqueBrush, POINTL* origin, MIX mix) {
    BRUSHOBJ* boxBrush = pdev.m_substituteCount ? &pdev.m_substituteBrushes[0] : foreground;
    const RECTL* boxes[] = {string ? &string->rclBkGround : nullptr, opaque, extra};
    for (const RECTL* box : boxes) {
        if (!box) continue;
        RECTL rect = *box;
        XLATEOBJ sameColors{0, XO_TRIVIAL, 0, 0, 0, nullptr};
        POINTL brushOrigin{0, 0};
        pdev.m_inTextOutput = TRUE;
        CallUnidrv<PFN_DrvBitBlt>(pdev, UnidrvFn::BitBlt, FALSE, surface, static_cast<SURFOBJ*>(nullptr),
                                  static_cast<SURFOBJ*>(nullptr), clip, &sameColors, &rect,
                                  static_cast<POINTL*>(nullptr), static_cast<POINTL*>(nullptr), boxBrush,
                                  &brushOrigin, kKeepDestination);
        pdev.m_inTextOutput = FALSE;
    }
    return EngTextOut(surface, string, font, clip, extra, opaque, foreground, opaqueBrush, origin, mix);
}

}  // namespace

BOOL APIENTRY DrvTextOut(SURFOBJ* surface, STROBJ* string, FONTOBJ* font, CLIPOBJ* clip, RECTL* extra, RECTL* opaque,
                         BRUSHOBJ* foreground, BRUSHOBJ* opaqueBrush, POINTL* origin, MIX mix) {
    OemPdev* pdev = OemPdevOf(surface);
    if (!pdev) return FALSE;
    BOOL result = FALSE;
    if (HookDrew(HooksOf(*pdev).m_textOut, &result, surface, string, font, clip, extra, opaque, foreground, opaqueBrush,
                 origin, mix))
        return TRUE;
    const bool printBlack = pdev->m_layout.m_printTextBlack == 1;

    if (!(pdev->m_modeFlags & kModeTextAsGraphics)) {
        if (printBlack && foreground) foreground->iSolidColor = 0;
        return CallUnidrv<PFN_DrvTextOut>(*pdev, UnidrvFn::TextOut, FALSE, surface, string, font, clip, extra, opaque,
                                          foreground, opaqueBrush, origin, mix);
    }
    if (pdev->m_inTextOutput)
        return CallUnidrv<PFN_DrvTextOut>(*pdev, UnidrvFn::TextOut, FALSE, surface, string, font, clip, extra, opaque,
                                          foreground, opaqueBrush, origin, mix);

    // A coloured text (neither black nor white) goes black when the job asks for black text; an
    // opaque box whose colour carries flags in its top byte is drawn with its plain colour.
    BRUSHOBJ* fore = foreground;
    BRUSHOBJ* back = opaqueBrush;
    bool ownWay = false;
    if (foreground && foreground->iSolidColor != kPatternBrush) {
        ULONG color = foreground->iSolidColor & 0xFFFFFF;
        if (color != 0 && color != 0xFFFFFF && printBlack) color = 0;
        if (color != foreground->iSolidColor) {
            fore = Substitute(*pdev, color);
            ownWay = true;
        }
    }
    if (!ownWay && opaqueBrush && opaqueBrush->iSolidColor != kPatternBrush && (opaqueBrush->iSolidColor >> 24) != 0) {
        back = Substitute(*pdev, opaqueBrush->iSolidColor & 0xFFFFFF);
        ownWay = true;
    }
    if (!ownWay) ownWay = pdev->m_windows2000 != FALSE;

    if (ownWay)
        result = DrawTextOwnWay(*pdev, surface, string, font, clip, extra, opaque, fore, back, origin, mix);
    else
        result = CallUnidrv<PFN_DrvTextOut>(*pdev, UnidrvFn::TextOut, FALSE, surface, string, font, clip, extra, opaque,
                                            fore, back, origin, mix);
    if (!pdev->m_inTextOutput) pdev->m_substituteCount = 0;
    return result;
}

}  // namespace render::ddi
